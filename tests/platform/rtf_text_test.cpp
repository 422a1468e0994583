// The plain text of RTF documents written by other tools.
#include <gtest/gtest.h>

#include "platform/rtf_text.h"

namespace {

TEST(RtfText, RecognisesRtfOnlyAtTheStart) {
    EXPECT_TRUE(IsRtfText("{\\rtf1\\ansi x}"));
    EXPECT_TRUE(IsRtfText("  \r\n{\\rtf1 x}"));
    EXPECT_FALSE(IsRtfText("<html>{\\rtf1}</html>"));
    EXPECT_FALSE(IsRtfText("Ata {\\rtf"));
    EXPECT_FALSE(IsRtfText(""));
}

TEST(RtfText, KeepsTheBodyTextAndLeavesTablesAndControlWordsOut) {
    EXPECT_EQ("Ata: assunto discutido e aprovado.",
              RtfToPlainText("{\\rtf1\\ansi Ata: assunto discutido e aprovado.}"));
    const char* document =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil Tahoma;}{\\f1 Arial;}}\r\n"
        "{\\colortbl ;\\red255\\green0\\blue0;}{\\*\\generator Msftedit 5.41;}"
        "{\\info{\\author Fulano}}\\viewkind4\\uc1\\pard\\lang1046\\f0\\fs20 "
        "\\b Decis\\'f5es\\b0 :\\par\r\n\\pard{\\pntext\\f1\\'b7\\tab}"
        "\\cf1 Aprovar o or\\'e7amento\\cf0\\par\r\nPre\\u231?o \\{fixo\\} \\\\ 10\\line fim"
        "{\\*\\unknowndest ignorado}\\par\r\n}";
    EXPECT_EQ("Decisões:\n\u00B7\tAprovar o orçamento\nPreço {fixo} \\ 10\nfim",
              RtfToPlainText(document));
}

TEST(RtfText, ReadsUnicodeFallbacksAndCodePageBytes) {
    EXPECT_EQ("a\u2014b", RtfToPlainText("{\\rtf1 a\\emdash b}"));
    EXPECT_EQ("\u20AC 5", RtfToPlainText("{\\rtf1 \\'80 5}")) << "Windows-1252, not Latin-1";
    EXPECT_EQ("\u00E7\u00E3", RtfToPlainText("{\\rtf1\\uc2 \\u231\\'e7\\'e7\\u227 ??}"))
        << "\\uc2: two fallback characters after each \\u";
    EXPECT_EQ("\uFFFD", RtfToPlainText("{\\rtf1 \\u-3?}")) << "negative \\u counts from 65536";
    EXPECT_EQ("já", RtfToPlainText("{\\rtf1 já}")) << "UTF-8 text stays as it is";
}

TEST(RtfText, MalformedInputGivesWhatCouldBeRead) {
    EXPECT_EQ("aberto", RtfToPlainText("{\\rtf1 aberto"));
    EXPECT_EQ("a", RtfToPlainText("{\\rtf1 a}}}{"));
    EXPECT_EQ("x", RtfToPlainText("{\\rtf1 x\\'4"));
    EXPECT_EQ("x", RtfToPlainText("{\\rtf1 x\\"));
    EXPECT_EQ("", RtfToPlainText("{\\rtf1 \\u99999999999999999 }"));
    EXPECT_EQ("ok", RtfToPlainText("{\\rtf1 {\\pict\\bin4 }}}}}ok}"))
        << "binary data is skipped by its length, braces in it included";
}

}  // namespace
