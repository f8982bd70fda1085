#include "ui/kit/text_codec.h"

#include <gtest/gtest.h>

namespace comtrax {
namespace {

TEST(TextCodec, EveryByteSurvivesTheWayThroughAWidget)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const QString shown = fromCp1251(all);
    ASSERT_EQ(shown.size(), 256);
    EXPECT_EQ(toCp1251(shown), all);
    // Distinct bytes are distinct characters, so nothing merges on the way.
    for (int a = 0; a < 256; ++a)
        for (int b = a + 1; b < 256; ++b)
            ASSERT_NE(shown.at(a), shown.at(b)) << a << " " << b;
}

TEST(TextCodec, CodePageCharacters)
{
    const struct {
        unsigned char byte;
        char16_t unicode;
    } cases[] = {
        {0x41, u'A'},      {0xC0, u'А'}, {0xFF, u'я'},  {0xA8, u'Ё'},  {0xB8, u'ё'},
        {0x88, u'\u20AC'}, {0xB9, u'№'}, {0x00, u'\0'}, {0x0D, u'\r'}, {0x98, u'\u0098'},
    };
    for (const auto& c : cases) {
        const std::string byte(1, static_cast<char>(c.byte));
        EXPECT_EQ(fromCp1251(byte), QString(QChar(c.unicode))) << int(c.byte);
        EXPECT_EQ(toCp1251(QString(QChar(c.unicode))), byte) << int(c.byte);
    }
    EXPECT_EQ(toCp1251(QString::fromUtf8("Привет, COM3!")), "\xCF\xF0\xE8\xE2\xE5\xF2, COM3!");
}

TEST(TextCodec, WhatTheCodePageCannotHoldBecomesOneQuestionMark)
{
    const struct {
        QString text;
        std::string bytes;
    } cases[] = {
        {QString::fromUtf8("a\u4E2Db"), "a?b"},
        {QString::fromUtf8("a\U0001F600b"), "a?b"},            // one character, two UTF-16 units
        {QString(QChar(0xD800)) + QStringLiteral("x"), "?x"},  // lone surrogate
        {QString::fromUtf8("\u00E9"), "?"},                    // é is not in the code page
        {QString(QChar(0x1A)), std::string(1, '\x1A')},        // a real SUB stays SUB
    };
    for (const auto& c : cases)
        EXPECT_EQ(toCp1251(c.text), c.bytes) << c.text.toStdString();
}

TEST(TextCodec, Utf8ProgramTexts)
{
    EXPECT_EQ(fromUtf8("Все команды отправлены"), QStringLiteral("Все команды отправлены"));
    EXPECT_EQ(fromUtf8(std::string("a\0b", 3)).size(), 3);
}

}  // namespace
}  // namespace comtrax
