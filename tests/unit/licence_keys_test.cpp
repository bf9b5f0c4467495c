#include "licence/licence_keys.h"

#include <gtest/gtest.h>

namespace {
using kit::licence::FormatLicenceKeys;
using kit::licence::LicenceKey;
using kit::licence::ParseLicenceKeys;

constexpr char kGraph[] = "{0842D100-1E19-101B-9AAF-1A1626551E7C}";
constexpr char kEngine[] = "{00000100-0000-0010-8000-00AA006D2EA4}";

std::vector<std::pair<std::string, std::string>> Pairs(const std::vector<LicenceKey>& keys) {
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const LicenceKey& key : keys) pairs.emplace_back(key.classId, key.key);
  return pairs;
}

// What a key file edited by hand may hold, and what the build takes from it.
TEST(LicenceKeys, AKeyFileIsReadLineByLine) {
  struct Case {
    std::string text;
    std::vector<std::pair<std::string, std::string>> keys;
  };
  const std::string graph = kGraph, engine = kEngine;
  const Case cases[] = {
      {"", {}},
      {"# comment\n\n" + graph + " key one\r\n", {{graph, "key one"}}},                   // CR LF, spaces kept
      {"{0842d100-1e19-101b-9aaf-1a1626551e7c}\tk", {{graph, "k"}}},                     // any case, a tab, no end
      {graph + " old\n" + engine + " e\n" + graph + " new\n", {{graph, "new"}, {engine, "e"}}},  // the last wins
      {graph + "\n" + graph + " \nnot-a-class key\n{0842D100} key\n", {}},               // no key, no class
      {"\xEF\xBB\xBF" + graph + " k\n", {{graph, "k"}}},                                 // a byte-order mark
      {graph + " cl\xC3\xA9 \xE2\x82\xAC\n", {{graph, "cl\xC3\xA9 \xE2\x82\xAC"}}},      // UTF-8 kept as is
  };
  for (const Case& c : cases) EXPECT_EQ(Pairs(ParseLicenceKeys(c.text)), c.keys) << c.text;
}

TEST(LicenceKeys, WhatIsWrittenReadsBackSorted) {
  const std::vector<LicenceKey> keys = {{kGraph, "g key"}, {kEngine, "e"}};
  const std::string text = FormatLicenceKeys(keys);
  EXPECT_EQ(text.rfind('#', 0), 0u) << "a header says what the file is";
  EXPECT_EQ(Pairs(ParseLicenceKeys(text)), (std::vector<std::pair<std::string, std::string>>{
                                               {kEngine, "e"}, {kGraph, "g key"}}));
}

}  // namespace
