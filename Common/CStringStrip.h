#pragma once

// In-place strippers of writable NUL-terminated C strings; each answers its argument (null
// stays null).

// Removes every occurrence of character.
char* stripChar(char* string, char character);
// Removes every space, line feed and carriage return.
char* stripBlanks(char* string);
