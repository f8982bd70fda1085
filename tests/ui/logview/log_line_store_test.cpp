// The log view's compact store of lines.
#include "ui/logview/log_line_store.h"

#include <QStringList>

#include <gtest/gtest.h>

TEST(LogLineStore, EveryLineComesBackAsItWentInWhateverItsCharacters)
{
    // ASCII, the upper half of Latin-1, Cyrillic (what Windows-1251 gives),
    // a character outside the basic plane, and an empty line.
    const QStringList lines = {QStringLiteral("AT+GMR -> OK"), QString::fromUtf8("caf\xc3\xa9 \xc3\xbf"),
                               QString::fromUtf8("\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82"),
                               QString::fromUtf8("x \xf0\x9f\x98\x80 y"), QString()};
    comtrax::LogLineStore store;
    for (const QString& l : lines)
        store.pushLine(l);
    comtrax::LogLineStore more;
    more.pushLine(QStringLiteral("tail"));
    store.append(std::move(more));
    ASSERT_EQ(store.size(), 6u);
    EXPECT_TRUE(more.empty());
    for (int i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(store[static_cast<std::size_t>(i)], lines[i]);
        EXPECT_EQ(store.length(static_cast<std::size_t>(i)), lines[i].size());
    }
    EXPECT_EQ(store.back(), QStringLiteral("tail"));
    store.dropFirst();
    EXPECT_EQ(store[0], lines[1]);
}

TEST(LogLineStore, EachLineKeepsItsDirectionAndTheStoreItsCharacterCountAsLinesComeAndGo)
{
    using comtrax::LogDirection;
    comtrax::LogLineStore store;
    store.pushLine(QStringLiteral("AT"), LogDirection::Sent);
    store.pushLatin1("OK\r", LogDirection::Received);
    store.pushLine(QStringLiteral("Ж"));
    comtrax::LogLineStore more;
    more.pushLine(QStringLiteral("ATI"), LogDirection::Sent);
    store.append(std::move(more));
    EXPECT_EQ(store.characters(), 2 + 3 + 1 + 3);
    EXPECT_EQ(more.characters(), 0);
    store.dropFirst();
    const LogDirection expected[] = {LogDirection::Received, LogDirection::Other, LogDirection::Sent};
    for (std::size_t i = 0; i < store.size(); ++i)
        EXPECT_EQ(store.direction(i), expected[i]) << i;
    EXPECT_EQ(store.characters(), 3 + 1 + 3);
    store.clear();
    EXPECT_EQ(store.characters(), 0);
}
