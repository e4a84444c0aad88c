#include "topology/text_encoding.h"

#include <gtest/gtest.h>

namespace topology {
namespace {

TEST(TextEncodingTest, KeepsUtf8AndConvertsLatin1) {
  EXPECT_EQ(toUtf8("Z\xc3\xbcrich"), "Z\xc3\xbcrich");
  EXPECT_EQ(toUtf8("Z\xfcrich"), "Z\xc3\xbcrich");
  // One stray byte makes the whole text Latin-1, so no text mixes the two.
  EXPECT_EQ(toUtf8("\xc3\xa9 \xe9"), "\xc3\x83\xc2\xa9 \xc3\xa9");
  EXPECT_EQ(toUtf8("\xc0\x80"), "\xc3\x80\xc2\x80");              // overlong
  EXPECT_EQ(toUtf8("\xed\xa0\x80"), "\xc3\xad\xc2\xa0\xc2\x80");  // surrogate
  EXPECT_EQ(toUtf8("\xe2\x82"), "\xc3\xa2\xc2\x82");              // cut short
}

TEST(TextEncodingTest, DecodesCharacterReferences) {
  EXPECT_EQ(decodeEntities("S&#227;o Paulo &amp; Mal&#xF6;"), "S\u00e3o Paulo & Mal\u00f6");
  EXPECT_EQ(decodeEntities("&lt;&gt;&quot;&apos;&#128512;"), "<>\"'\U0001F600");
  // What stands for no character stays as written.
  EXPECT_EQ(decodeEntities("AT&T &#0; &#xD800; &#1114112; &#x; &nbsp; &"),
            "AT&T &#0; &#xD800; &#1114112; &#x; &nbsp; &");
  EXPECT_EQ(decodeEntities("a &amp b; c"), "a &amp b; c");
}

}  // namespace
}  // namespace topology
