#include <gtest/gtest.h>

#include "platform/Dictionary.h"
#include "vault/VaultKeys.h"
#include "window/PhoneList.h"

namespace {

TEST(PhoneList, FindsTheNumbersInATextAndNothingElse) {
  const struct {
    const char* text;
    std::vector<const char*> numbers;
  } cases[] = {
      {"Helpline +44 (0)20 7946 0958, weekdays", {"+44 (0)20 7946 0958"}},
      {"(555) 123-4567", {"(555) 123-4567"}},
      {"call 555.123.4567.", {"555.123.4567"}},
      {"0611-234567 or 0171/9876543", {"0611-234567", "0171/9876543"}},
      {"5551234567", {"5551234567"}},
      {"line one 030 1234567\nline two 040 7654321", {"030 1234567", "040 7654321"}},
      {"pin 4321, door 123456", {}},                // too short
      {"card 4111 1111 1111 1111", {}},             // 16 digits: no phone number
      {"IBAN DE89 3704 0044 0532 0130 00", {}},     // inside a word, then too long
      {"since 2024-01-05 and 05.01.2024", {}},      // dates
      {"router at 192.168.100.254", {}},            // an address
      {"https://shop.example/order/12345678", {}},  // part of an address
      {"user4567890@mail.example", {}},             // inside a word
      {"ticket A1234567", {}},                      // inside a word
      {"", {}},
  };
  for (const auto& c : cases) {
    QStringList expected;
    for (const char* n : c.numbers) expected << QString::fromUtf8(n);
    EXPECT_EQ(PhoneList::numbersIn(QString::fromUtf8(c.text)), expected) << c.text;
  }
}

DictRef record(const char* name, const char* account, const char* userID, const char* note) {
  DictRef r = Dictionary::create();
  r->setValue(RecordKeys::name(), QString::fromUtf8(name));
  r->setValue(RecordKeys::account(), QString::fromUtf8(account));
  r->setValue(RecordKeys::userID(), QString::fromUtf8(userID));
  r->setValue(RecordKeys::note(), QString::fromUtf8(note));
  // Secrets that look like numbers stay out of the list.
  r->setValue(RecordKeys::password(), QStringLiteral("0301234567"));
  r->setValue(RecordKeys::pin(), QStringLiteral("12345678"));
  r->setValue(RecordKeys::security(), QStringLiteral("+1 555 000 1111"));
  return r;
}

TEST(PhoneList, RowsFollowTheRecordsAndTheirFieldsAndSkipSecrets) {
  const std::vector<DictRef> records = {
      record("Mobile", "0171 2345678", "", "Support 0800 330 1000\nFax 0800 330 1001"),
      record("Mail", "acct-7", "me@mail.example", "no numbers here"),
      record("Bank", "", "+49 30 1234567", ""),
      nullptr,
  };
  const std::vector<PhoneList::Row> rows = PhoneList::rowsFor(records);
  const struct {
    const char* name;
    const char* number;
    const char* field;
  } expected[] = {
      {"Mobile", "0171 2345678", "Account"},
      {"Mobile", "0800 330 1000", "Note"},
      {"Mobile", "0800 330 1001", "Note"},
      {"Bank", "+49 30 1234567", "User ID"},
  };
  ASSERT_EQ(rows.size(), std::size(expected));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].name, QString::fromUtf8(expected[i].name)) << i;
    EXPECT_EQ(rows[i].number, QString::fromUtf8(expected[i].number)) << i;
    EXPECT_EQ(rows[i].field, QString::fromUtf8(expected[i].field)) << i;
  }
}

}  // namespace
