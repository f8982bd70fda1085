#include "presentation/help_texts.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace comtrax {
namespace {

// The texts as the help area must show them, in the form they were written
// down: a text's name, then numbered lines; "a–b. "x" each" fills lines a..b
// with x. A line's text is everything between its outermost double quotes, so
// quotes inside a line belong to the text.
constexpr std::string_view Listing = R"listing(
generalHelp
1. "Краткая справка по каждой команде"
2. "   "
3. "   Здесь будет отображаться описание команд."
4. "   Редактируемая  справка  отображается при"
5. "   наведении  указателя  мышки  на кнопку с"
6. "   соответствующей командой."
7. "   "
8. "   Для редактирования справки нужно открыть"
9. "   редактор  и  дважды  кликнуть  мышкой по"
10. "   соответствующей   команде    в    режиме"
11. "   редактирования. "
12. "   "
connectHelp
1. "Создание соединения"
2–12. "   " each
rescanHelp
1. "Сканирование доступных COM-портов"
2. "   "
3. "   Алгоритм берёт список доступных портов из"
4. "   реестра Windows.  Если программа запущена"
5. "   от имени пользователя, то Windos может не"
6. "   дать  список  портов, в этом случае нужно"
7. "   выбрать нужный порт из выпадающего списка"
8. "   вручную."
9. "   Используемая   библиотека    поддерживает"
10. "   работу   только  с  портами   COM1..COM9,"
11. "   поэтому   при    необходимости    следует"
12. "   переназначить имя в настройках COM-порта."
autoConnectHelp
1. "Автосоединение с COM-портом"
2. "   "
3. "   Данная  опция  актуальна  для эмуляторов"
4. "   COM-порта, когда возможно временное про-"
5. "   падание порта в системе:  перезапуск  МК"
6. "   или переподключение переходника USB-COM"
7–12. "   " each
timeRxHelp
1. "Время накопления принимаемых данных"
2. "   "
3. "   При получении длинных сообщений возможна"
4. "   фрагментация принимаемых пакетов и вывод"
5. "   данных частями в разных строках лога."
6. "   Для  исключения  данной   ситуации  есть"
7. "   возможность  задать  максималльное время"
8. "   накопления данных в приёмном буфере."
9. "   Данная настройка  актуальна при работе с"
10. "   бинарными данными, когда нет явных приз-"
11. "   наков разделения пакетов"
12. "   "
filterHelp
1. "Фильрация сообщений лога"
2. "   "
3. "   Здесь задаётся набор символов,по которым"
4. "   фильруются  выводимые  сообщения в логе."
5. "   Если  окно   пустое,  то  выводятся  все"
6. "   данные,  отправляемые  и  получаемые  по"
7. "   COM-порту."
8. "   Данную  возможность  удобно использовать"
9. "   для захвата нужных данных в т.ч. и в би-"
10. "   нарном режиме."
11–12. "   " each
manualModeHelp
1. "Отправка команд вручную"
2. "   "
3. "   Команда будет  отправляться  по  нажатию"
4. "   Enter или кнопки "Отправить""
5–12. "   " each
onSelectModeHelp
1. "Отправка команд при выборе"
2. "   "
3. "   Команда будет  отправляться  по  нажатию"
4. "   соответствующей  кнопки  с  макросом или"
5. "   при  выборе команды в списке прочитанных"
6. "   из файла."
7–12. "   " each
afterAnswerModeHelp
1. "Отправка команды после ответа"
2. "   "
3. "   Содержимое консольной строки будет  отп-"
4. "   равляться  сразу   же   после  получения"
5. "   ответа ответа на предыдущую команду  или"
6. "   после получения каких-либо данных."
7. "   "
8. "   При отправке команд из файла после ответа"
9. "   на  предыдущую  команду  будет отправлена"
10. "   следующая по списку команда."
11–12. "   " each
periodModeHelp
1. "Периодическая отправка команд"
2. "   "
3. "   Содержимое   консольной   строки   будет"
4. "   отправляться с указанной периодичностью."
5–12. "   " each
sendOnConnectHelp
1. "Отправка команд после соединения"
2. "   "
3. "   Если выбрана данная опция,  то  отправка"
4. "   команд  начнётся  сразу  после  создания"
5. "   соединения. Алгоритм отправки зависит от"
6. "   выбранного режима: возможна отправка как"
7. "   одной команды  в ручном  режиме,  так  и"
8. "   последовательности команд из файла, если"
9. "   открыт файл с командами  и выбран  режим"
10. "   "После ответа" или "Период, мс""
11–12. "   " each
commandLineHelp
1. "Консольная строка"
2. "   "
3. "   Набор отправляемых данных формируется из"
4. "   содержимого   данной   и  дополнительной"
5. "   строки."
6. "   ENTER - отправка команды;"
7. "   ESC - очистка строки;"
8. "   "Стрелка вниз" - показать ранее  отправ-"
9. "   ленные команды."
10. "   Также содержимое строки меняется при на-"
11. "   жатии  кнопки  соответствующего  макроса"
12. "   во всех режимах, кроме "При выборе""
suffixHelp
1. "Хвост пакета"
2. "   "
3. "   Содержимое добавляется ко всем командам,"
4. "   отправляемым в порт."
5. "   $XX - добавить HEX-число в ASCII-режиме,"
6. "   например: $0D$0A - добавлять \r\n."
7. "   В бинарном  режиме  можно записывать без"
8. "   символа "$",но между числами должен быть"
9. "   пробел."
10. "   Шаблон из списка (стрелка) - контрольная"
11. "   сумма. В HEX её байты идут через пробел,"
12. "   в ASCII с "$" - байтами, без - текстом."
cyclicSendHelp
1. "Циклическая отправка"
2. "   "
3. "  Команды из файла отправляются  циклически,"
4. "  т.е. после достижения конца файла отправка"
5. "  команд начинается заново, начиная с первой"
6. "  команды."
7–12. "  " each
)listing";

using Expected = std::map<std::string, std::vector<std::string>>;

Expected parseListing()
{
    Expected texts;
    std::vector<std::string>* current = nullptr;
    std::size_t pos = 0;
    while (pos < Listing.size()) {
        std::size_t eol = Listing.find('\n', pos);
        if (eol == std::string_view::npos)
            eol = Listing.size();
        const std::string line(Listing.substr(pos, eol - pos));
        pos = eol + 1;
        if (line.empty())
            continue;
        if (!std::isdigit(static_cast<unsigned char>(line[0]))) {  // a text's name
            current = &texts[line];
            current->assign(HelpLineCount, std::string("<missing>"));
            continue;
        }
        if (current == nullptr)
            throw std::runtime_error("line before a name: " + line);
        std::size_t consumed = 0;
        const int first = std::stoi(line, &consumed);
        int last = first;
        const std::string dash = "\u2013";
        if (line.compare(consumed, dash.size(), dash) == 0)
            last = std::stoi(line.substr(consumed + dash.size()));
        const std::size_t open = line.find('"');
        const std::size_t close = line.rfind('"');
        if (open == std::string::npos || close == open)
            throw std::runtime_error("no quoted text: " + line);
        const std::string text = line.substr(open + 1, close - open - 1);
        for (int k = first; k <= last; ++k)
            current->at(static_cast<std::size_t>(k - 1)) = text;
    }
    return texts;
}

struct Named {
    const char* name;
    const HelpText& (*text)();
};

constexpr Named AllTexts[] = {
    {"generalHelp", generalHelp},
    {"connectHelp", connectHelp},
    {"rescanHelp", rescanHelp},
    {"autoConnectHelp", autoConnectHelp},
    {"timeRxHelp", timeRxHelp},
    {"filterHelp", filterHelp},
    {"manualModeHelp", manualModeHelp},
    {"onSelectModeHelp", onSelectModeHelp},
    {"afterAnswerModeHelp", afterAnswerModeHelp},
    {"periodModeHelp", periodModeHelp},
    {"sendOnConnectHelp", sendOnConnectHelp},
    {"commandLineHelp", commandLineHelp},
    {"suffixHelp", suffixHelp},
    {"cyclicSendHelp", cyclicSendHelp},
};

TEST(HelpTexts, EveryTextMatchesItsTwelveLinesByteForByte)
{
    const Expected expected = parseListing();
    ASSERT_EQ(expected.size(), std::size(AllTexts));
    for (const Named& n : AllTexts) {
        SCOPED_TRACE(n.name);
        const auto it = expected.find(n.name);
        ASSERT_NE(it, expected.end());
        const HelpText& actual = n.text();
        for (std::size_t k = 0; k < HelpLineCount; ++k)
            EXPECT_EQ(std::string(actual[k]), it->second[k]) << "line " << k + 1;
    }
}

// The places where a retyped or "tidied" text goes wrong first.
TEST(HelpTexts, KeepsTheEasilyLostDetails)
{
    struct Case {
        const HelpText& text;
        std::size_t line;  // 1-based
        std::string_view exact;
    };
    const Case cases[] = {
        {suffixHelp(), 6, "   например: $0D$0A - добавлять \\r\\n."},
        {cyclicSendHelp(), 3, "  Команды из файла отправляются  циклически,"},
        {cyclicSendHelp(), 12, "  "},
        {connectHelp(), 12, "   "},
        {generalHelp(), 11, "   редактирования. "},
        {manualModeHelp(), 4, "   Enter или кнопки \"Отправить\""},
        {autoConnectHelp(), 4, "   COM-порта, когда возможно временное про-"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.text[c.line - 1], c.exact) << c.exact;
    EXPECT_EQ(suffixHelp()[5].find('\r'), std::string_view::npos);
}

// On Linux the port list does not come from the Windows registry and any port
// name works; the Rescan help must not send the user looking for either.
TEST(HelpTexts, RescanHelpSpeaksOfTheSystemItRunsOn)
{
    const HelpText& shown = rescanHelpForThisSystem();
#ifdef _WIN32
    EXPECT_EQ(&shown, &rescanHelp());
#else
    EXPECT_EQ(&shown, &linuxRescanHelp());
    for (std::string_view line : shown) {
        EXPECT_EQ(line.find("Windows"), std::string_view::npos) << line;
        EXPECT_EQ(line.find("COM1..COM9"), std::string_view::npos) << line;
    }
    EXPECT_EQ(shown[7], "   входить в группу dialout:");
    EXPECT_EQ(shown[0], rescanHelp()[0]);
#endif
}

}  // namespace
}  // namespace comtrax
