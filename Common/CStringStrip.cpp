#include "Common/CStringStrip.h"

char* stripChar(char* string, char character) {
  if (string == nullptr || character == '\0') return string;
  char* write = string;
  for (const char* read = string; *read != '\0'; ++read) {
    if (*read != character) *write++ = *read;
  }
  *write = '\0';
  return string;
}

char* stripBlanks(char* string) {
  stripChar(string, ' ');
  stripChar(string, '\n');
  return stripChar(string, '\r');
}
