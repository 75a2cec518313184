#include <gtest/gtest.h>

#include "Common/DropPayload.h"

namespace {

using DropPayload::Accepts;
using DropPayload::Item;

TEST(DropPayload, EachAreaTakesWhatItShould) {
  const QUrl fileA = QUrl::fromLocalFile(QStringLiteral("/home/me/a file.pdf"));
  const QUrl fileB = QUrl::fromLocalFile(QStringLiteral("/home/me/b.txt"));
  const QUrl web(QStringLiteral("HTTPS://Example.org/login"));
  const QUrl ftp(QStringLiteral("ftp://example.org/"));
  const QString longText = QStringLiteral("http://x.example/") + QString(9000, u'a');
  struct Case {
    const char* what;
    Accepts accepts;
    DropPayload::Offer offer;
    std::vector<Item> expected;
  };
  const Item a{Item::FilePath, QStringLiteral("/home/me/a file.pdf")};
  const Item b{Item::FilePath, QStringLiteral("/home/me/b.txt")};
  // As the URL reads it: scheme and host in lower case.
  const Item w{Item::WebAddress, QStringLiteral("https://example.org/login")};
  const Case cases[] = {
      {"every file", Accepts::Files, {{fileA, fileB}, {}, true}, {a, b}},
      {"files only", Accepts::Files, {{web}, {}, true}, {}},
      {"first file wins over an address", Accepts::FileOrUrl, {{web, fileA, fileB}, {}, true}, {a}},
      {"address when no file", Accepts::FileOrUrl, {{ftp, web}, {}, true}, {w}},
      {"secure address in capitals", Accepts::Url, {{web}, {}, true}, {w}},
      {"other schemes refused", Accepts::Url, {{ftp}, {}, true}, {}},
      {"address as text",
       Accepts::Url,
       {{}, QStringLiteral("  http://shop.example/  "), true},
       {{Item::WebAddress, QStringLiteral("http://shop.example/")}}},
      {"address as text in capitals",
       Accepts::FileOrUrl,
       {{}, QStringLiteral("HTTP://Shop.example"), true},
       {{Item::WebAddress, QStringLiteral("HTTP://Shop.example")}}},
      {"plain words refused", Accepts::Url, {{}, QStringLiteral("hello"), true}, {}},
      {"two lines refused", Accepts::Url, {{}, QStringLiteral("http://a.example\nrm"), true}, {}},
      {"text over 8 KiB refused", Accepts::FileOrUrl, {{}, longText, true}, {}},
      {"address over 8 KiB refused", Accepts::Url, {{QUrl(longText)}, {}, true}, {}},
      {"neither copy nor link", Accepts::FileOrUrl, {{fileA}, {}, false}, {}},
      {"nothing offered", Accepts::FileOrUrl, {{}, {}, true}, {}},
  };
  for (const Case& c : cases) {
    const auto got = DropPayload::accepted(c.accepts, c.offer);
    EXPECT_EQ(got.size(), c.expected.size()) << c.what;
    if (got.size() == c.expected.size())
      for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].kind, c.expected[i].kind) << c.what;
        EXPECT_EQ(got[i].text, c.expected[i].text) << c.what;
      }
  }
}

}  // namespace
