<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ru_RU">
  <context>
    <name>Comtrax</name>
    <message>
      <location filename="../src/app/command_line.cpp" line="42" />
      <source>показать эту справку и выйти</source>
      <translation>print this help and exit</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="43" />
      <source>показать версию программы и Qt и выйти</source>
      <translation>print the program's version and Qt's and exit</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="45" />
      <source>ИМЯ</source>
      <translation>NAME</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="46" />
      <source>порт: имя из списка (ttyUSB0), путь к устройству или сетевой порт (tcp://УЗЕЛ:ПОРТ, rfc2217://УЗЕЛ:ПОРТ)</source>
      <translation>the port: a name from the list (ttyUSB0), a path to a device or a network port (tcp://HOST:PORT, rfc2217://HOST:PORT)</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="48" />
      <source>скорость, бод</source>
      <translation>the baud rate</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="49" />
      <source>биты данных: 5, 6, 7 или 8</source>
      <translation>data bits: 5, 6, 7 or 8</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="50" />
      <source>стоповые биты: 1, 1.5 или 2</source>
      <translation>stop bits: 1, 1.5 or 2</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="51" />
      <source>ЧЁТНОСТЬ</source>
      <translation>PARITY</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="51" />
      <source>чётность: none, odd, even, mark или space</source>
      <translation>parity: none, odd, even, mark or space</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="52" />
      <source>УПРАВЛЕНИЕ</source>
      <translation>FLOW</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="52" />
      <source>управление потоком: none, rtscts или xonxoff</source>
      <translation>flow control: none, rtscts or xonxoff</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="53" />
      <source>открыть порт при запуске</source>
      <translation>open the port at start-up</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="54" />
      <source>ПАПКА</source>
      <translation>DIR</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="54" />
      <source>папка настроек, макросов, истории и логов (по умолчанию текущая)</source>
      <translation>the directory of the settings, macros, history and logs (default: the current one)</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="55" />
      <source>язык интерфейса: ru или en (по умолчанию — язык системы)</source>
      <translation>the interface's language: ru or en (default: the system's)</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="56" />
      <source>запуск из меню: папка данных пользователя (~/.local/share/comtrax)</source>
      <translation>started from the menu: the user's data directory (~/.local/share/comtrax)</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="69" />
      <source>Использование: comtrax [параметры]
Терминал последовательного порта. Параметры порта из командной строки действуют
вместо сохранённых; без параметров программа запускается как обычно.

</source>
      <translation>Usage: comtrax [options]
Serial port terminal. Port options given on the command line are used
instead of the stored ones; with no options the program starts as usual.

</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="87" />
      <source>Справка: comtrax --help</source>
      <translation>Help: comtrax --help</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="159" />
      <source>неизвестный параметр «%1»</source>
      <translation>unknown option '%1'</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="163" />
      <source>у параметра %1 нет значения</source>
      <translation>the option %1 has no value</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="167" />
      <source>лишний аргумент «%1»</source>
      <translation>unexpected argument '%1'</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="179" />
      <source>пустое имя порта (--port)</source>
      <translation>empty port name (--port)</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="187" />
      <source>скорость «%1» не годится (--baud): нужно целое число бод от 1 до 4000000</source>
      <translation>the baud rate '%1' is not valid (--baud): a whole number of baud from 1 to 4000000 is needed</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="194" />
      <source>биты данных «%1» не годятся (--bits): нужно 5, 6, 7 или 8</source>
      <translation>the data bits '%1' are not valid (--bits): 5, 6, 7 or 8 is needed</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="203" />
      <source>стоповые биты «%1» не годятся (--stop): нужно 1, 1.5 или 2</source>
      <translation>the stop bits '%1' are not valid (--stop): 1, 1.5 or 2 is needed</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="208" />
      <source>чётность «%1» не годится (--parity): нужно none, odd, even, mark или space</source>
      <translation>the parity '%1' is not valid (--parity): use none, odd, even, mark or space</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="214" />
      <source>управление потоком «%1» не годится (--flow): нужно none, rtscts или xonxoff</source>
      <translation>the flow control '%1' is not valid (--flow): use none, rtscts or xonxoff</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="220" />
      <source>язык «%1» не годится (--lang): нужно ru или en</source>
      <translation>the language "%1" will not do (--lang): ru or en</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="226" />
      <source>пустой путь к папке (--dir)</source>
      <translation>empty directory path (--dir)</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="231" />
      <source>не задана домашняя папка (HOME), укажите папку параметром --dir</source>
      <translation>no home directory (HOME) is set; give a directory with --dir</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="262" />
      <source>это не папка</source>
      <translation>it is not a directory</translation>
    </message>
    <message>
      <location filename="../src/app/command_line.cpp" line="264" />
      <source>не удалось создать папку %1: %2</source>
      <translation>cannot create the directory %1: %2</translation>
    </message>
    <message>
      <location filename="../src/automation/action_lines.cpp" line="53" />
      <source>Строка %1: нужно «macro СПИСОК НОМЕР»</source>
      <translation>Line %1: write “macro LIST NUMBER”</translation>
    </message>
    <message>
      <location filename="../src/automation/action_lines.cpp" line="63" />
      <source>Строка %1: неизвестное действие «%2»</source>
      <translation>Line %1: unknown action “%2”</translation>
    </message>
    <message>
      <location filename="../src/automation/command_directive.cpp" line="68" />
      <source>Нужно время в миллисекундах: %1</source>
      <translation>A time in milliseconds is needed: %1</translation>
    </message>
    <message>
      <location filename="../src/automation/command_directive.cpp" line="75" />
      <source>Лишнее после паузы: %1</source>
      <translation>Something more after the pause: %1</translation>
    </message>
    <message>
      <location filename="../src/automation/command_directive.cpp" line="91" />
      <source>Нужно число повторов: %1</source>
      <translation>A number of retries is needed: %1</translation>
    </message>
    <message>
      <location filename="../src/automation/command_directive.cpp" line="107" />
      <source>Нужен шаблон text:, hex: или regex: %1</source>
      <translation>A pattern text:, hex: or regex: is needed: %1</translation>
    </message>
    <message>
      <location filename="../src/automation/pattern.cpp" line="65" />
      <source>«??» означает любой байт только в шаблоне HEX</source>
      <translation>“??” means any byte only in a HEX pattern</translation>
    </message>
    <message>
      <location filename="../src/automation/pattern.cpp" line="76" />
      <source>Нечётное число шестнадцатеричных цифр</source>
      <translation>An odd number of hex digits</translation>
    </message>
    <message>
      <location filename="../src/automation/pattern.cpp" line="82" />
      <source>Не шестнадцатеричная цифра: «%1»</source>
      <translation>Not a hex digit: “%1”</translation>
    </message>
    <message>
      <location filename="../src/automation/pattern.cpp" line="95" />
      <source>«?» пишется парой: «??» — любой байт</source>
      <translation>“?” comes in pairs: “??” is any byte</translation>
    </message>
    <message>
      <location filename="../src/automation/pattern.cpp" line="107" />
      <source>Ошибка в регулярном выражении: %1</source>
      <translation>Error in the regular expression: %1</translation>
    </message>
    <message>
      <location filename="../src/automation/pattern.cpp" line="115" />
      <source>Пустой шаблон</source>
      <translation>The pattern is empty</translation>
    </message>
    <message>
      <location filename="../src/common/file_io.cpp" line="57" />
      <source>Это не обычный файл: %1</source>
      <translation>Not a plain file: %1</translation>
    </message>
    <message>
      <location filename="../src/common/file_io.cpp" line="70" />
      <source>Ссылке %1 нельзя доверять: её мог оставить другой пользователь. Файл, на который она указывает, не читается и не перезаписывается.</source>
      <translation>The link %1 cannot be trusted: another user may have left it. The file it points to is neither read nor overwritten.</translation>
    </message>
    <message>
      <location filename="../src/common/file_io.cpp" line="116" />
      <source>Не удалось открыть файл %1: %2</source>
      <translation>Cannot open the file %1: %2</translation>
    </message>
    <message>
      <location filename="../src/common/file_io.cpp" line="166" />
      <source>Не удалось прочитать файл %1: %2</source>
      <translation>Cannot read the file %1: %2</translation>
    </message>
    <message>
      <location filename="../src/common/file_io.cpp" line="245" />
      <source>Файл %1 длиннее %2 байт, он не прочитан</source>
      <translation>The file %1 is longer than %2 bytes; it was not read</translation>
    </message>
    <message>
      <location filename="../src/common/file_io.cpp" line="322" />
      <source>Не удалось заменить файл %1: %2</source>
      <translation>Cannot replace the file %1: %2</translation>
    </message>
    <message>
      <location filename="../src/common/file_io.cpp" line="332" />
      <source>Файл %1 только для чтения, он не перезаписан</source>
      <translation>The file %1 is read-only; it was not overwritten</translation>
    </message>
    <message>
      <location filename="../src/common/file_io.cpp" line="338" />
      <source>Не удалось создать временный файл для %1: %2</source>
      <translation>Cannot create a temporary file for %1: %2</translation>
    </message>
    <message>
      <location filename="../src/common/file_io.cpp" line="346" />
      <source>Не удалось записать файл %1: %2</source>
      <translation>Cannot write the file %1: %2</translation>
    </message>
    <message>
      <location filename="../src/common/texts.cpp" line="52" />
      <source>нет такого файла или каталога</source>
      <translation>no such file or directory</translation>
    </message>
    <message>
      <location filename="../src/common/texts.cpp" line="55" />
      <source>нет прав доступа</source>
      <translation>permission denied</translation>
    </message>
    <message>
      <location filename="../src/common/texts.cpp" line="57" />
      <source>это каталог</source>
      <translation>it is a directory</translation>
    </message>
    <message>
      <location filename="../src/common/texts.cpp" line="59" />
      <source>часть пути не является каталогом</source>
      <translation>a part of the path is not a directory</translation>
    </message>
    <message>
      <location filename="../src/common/texts.cpp" line="61" />
      <source>на диске нет места</source>
      <translation>no space left on the disk</translation>
    </message>
    <message>
      <location filename="../src/common/texts.cpp" line="63" />
      <source>превышена дисковая квота</source>
      <translation>disk quota exceeded</translation>
    </message>
    <message>
      <location filename="../src/common/texts.cpp" line="65" />
      <source>файловая система только для чтения</source>
      <translation>read-only file system</translation>
    </message>
    <message>
      <location filename="../src/common/texts.cpp" line="67" />
      <source>ошибка ввода-вывода</source>
      <translation>input/output error</translation>
    </message>
    <message>
      <location filename="../src/common/texts.cpp" line="69" />
      <source>устройство занято</source>
      <translation>the device is busy</translation>
    </message>
    <message>
      <location filename="../src/common/texts.cpp" line="72" />
      <source>нет такого устройства</source>
      <translation>no such device</translation>
    </message>
    <message>
      <location filename="../src/common/texts.cpp" line="74" />
      <source>файл уже существует</source>
      <translation>the file already exists</translation>
    </message>
    <message>
      <location filename="../src/common/texts.cpp" line="76" />
      <source>слишком длинное имя</source>
      <translation>the name is too long</translation>
    </message>
    <message>
      <location filename="../src/common/texts.cpp" line="79" />
      <source>открыто слишком много файлов</source>
      <translation>too many open files</translation>
    </message>
    <message>
      <location filename="../src/common/texts.cpp" line="81" />
      <source>файл слишком велик</source>
      <translation>the file is too large</translation>
    </message>
    <message>
      <location filename="../src/common/texts.cpp" line="83" />
      <source>слишком много символических ссылок</source>
      <translation>too many symbolic links</translation>
    </message>
    <message>
      <location filename="../src/common/texts.cpp" line="85" />
      <source>недопустимый параметр</source>
      <translation>invalid argument</translation>
    </message>
    <message>
      <location filename="../src/log/log_file.cpp" line="18" />
      <source>Запись в файл не ведётся</source>
      <translation>Not logging to a file</translation>
    </message>
    <message>
      <location filename="../src/log/log_file.cpp" line="99" />
      <source>Файл лога %1 не создан: под этим именем уже есть ссылка или не обычный файл</source>
      <translation>The log file %1 was not created: a link or something other than a plain file already has this name</translation>
    </message>
    <message>
      <location filename="../src/log/log_file.cpp" line="100" />
      <source>Не удалось создать файл лога %1</source>
      <translation>Cannot create the log file %1</translation>
    </message>
    <message>
      <location filename="../src/log/log_file.cpp" line="116" />
      <source>Лог записывается в файл %1</source>
      <translation>Logging to the file %1</translation>
    </message>
    <message>
      <location filename="../src/log/log_file.cpp" line="124" />
      <source>Запись в файл лога приостановлена (%1)</source>
      <translation>Logging to the file is paused (%1)</translation>
    </message>
    <message>
      <location filename="../src/log/log_file.cpp" line="212" />
      <source>Ошибка записи в файл лога %1</source>
      <translation>Cannot write to the log file %1</translation>
    </message>
    <message>
      <location filename="../src/netport/network_port.cpp" line="116" />
      <source>%1 не отвечает по протоколу Telnet (RFC 2217). Если это простой TCP-порт, откройте его как tcp://.</source>
      <translation>%1 does not answer in Telnet (RFC 2217). If it is a plain TCP port, open it as tcp://.</translation>
    </message>
    <message>
      <location filename="../src/netport/network_port.cpp" line="133" />
      <source>%1 говорит по протоколу Telnet: откройте его как rfc2217://.</source>
      <translation>%1 speaks Telnet: open it as rfc2217://.</translation>
    </message>
    <message>
      <location filename="../src/netport/network_port.cpp" line="146" />
      <source>Не удалось подключиться к %1: сервер не ответил за %2 с.</source>
      <translation>Could not connect to %1: the server did not answer within %2 s.</translation>
    </message>
    <message>
      <location filename="../src/netport/network_port.cpp" line="149" />
      <source>Не удалось подключиться к %1: узел %2 не найден (%3).</source>
      <translation>Could not connect to %1: host %2 not found (%3).</translation>
    </message>
    <message>
      <location filename="../src/netport/network_port.cpp" line="152" />
      <source>Не удалось подключиться к %1: %2.</source>
      <translation>Could not connect to %1: %2.</translation>
    </message>
    <message>
      <location filename="../src/netport/network_port.cpp" line="174" />
      <source>Сервер %1 нарушает протокол Telnet: подсогласование без конца. Соединение закрыто.</source>
      <translation>The server %1 breaks the Telnet protocol: a subnegotiation without end. The connection is closed.</translation>
    </message>
    <message>
      <location filename="../src/netport/network_port.cpp" line="193" />
      <source>Сервер %1 не управляет линией (нет COM-PORT-CONTROL): скорость и сигналы модема не передаются.</source>
      <translation>The server %1 does not control the line (no COM-PORT-CONTROL): the baud rate and modem lines are not passed on.</translation>
    </message>
    <message>
      <location filename="../src/netport/network_port.cpp" line="198" />
      <source>Сервер %1 установил скорость %2 вместо %3.</source>
      <translation>The server %1 set %2 baud instead of %3.</translation>
    </message>
    <message>
      <location filename="../src/netport/network_port.cpp" line="266" />
      <source>Сервер %1 перестал принимать данные. Соединение закрыто.</source>
      <translation>The server %1 stopped taking data. The connection is closed.</translation>
    </message>
    <message>
      <location filename="../src/netport/recent_network_ports.cpp" line="86" />
      <source>сетевой порт, RFC 2217</source>
      <translation>network port, RFC 2217</translation>
    </message>
    <message>
      <location filename="../src/netport/recent_network_ports.cpp" line="86" />
      <source>сетевой порт, TCP</source>
      <translation>network port, TCP</translation>
    </message>
    <message>
      <location filename="../src/presentation/help_texts.cpp" line="1" />
      <source>Краткая справка по каждой команде
   
   Здесь будет отображаться описание команд.
   Редактируемая  справка  отображается при
   наведении  указателя  мышки  на кнопку с
   соответствующей командой.
   
   Для редактирования справки нужно открыть
   редактор  и  дважды  кликнуть  мышкой по
   соответствующей   команде    в    режиме
   редактирования. 
   </source>
      <translation>Short help for each command
   
   The description of a command shows here.
   Its editable help appears when the mouse
   pointer rests on the command's button.
   
   To edit the help, open the editor and
   double-click the command in edit mode.
   
   
   
   </translation>
    </message>
    <message>
      <location filename="../src/presentation/help_texts.cpp" line="1" />
      <source>Создание соединения
   
   
   
   
   
   
   
   
   
   
   </source>
      <translation>Opening the connection
   
   
   
   
   
   
   
   
   
   
   </translation>
    </message>
    <message>
      <location filename="../src/presentation/help_texts.cpp" line="1" />
      <source>Сканирование доступных COM-портов
   
   Алгоритм берёт список доступных портов из
   реестра Windows.  Если программа запущена
   от имени пользователя, то Windos может не
   дать  список  портов, в этом случае нужно
   выбрать нужный порт из выпадающего списка
   вручную.
   Используемая   библиотека    поддерживает
   работу   только  с  портами   COM1..COM9,
   поэтому   при    необходимости    следует
   переназначить имя в настройках COM-порта.</source>
      <translation>Scanning the available COM ports
   
   The list of ports is taken from the
   Windows registry. When the program runs
   as a user, Windows may not give the list;
   then choose the port from the drop-down
   list by hand.
   The library in use works with the ports
   COM1..COM9 only, so rename the port in
   the COM port settings when needed.
   
   </translation>
    </message>
    <message>
      <location filename="../src/presentation/help_texts.cpp" line="1" />
      <source>Сканирование доступных COM-портов
   
   Список портов берётся из системы (/dev:
   ttyS*, ttyUSB*, ttyACM* и другие).  Если
   порта нет в списке, проверьте, подключено
   ли устройство.
   Для работы с портом пользователь должен
   входить в группу dialout:
   sudo usermod -aG dialout $USER
   и затем заново войти в систему.
   Путь к устройству (/dev/serial/by-id/...)
   можно ввести в поле порта вручную.</source>
      <translation>Scanning the available serial ports
   
   The list of ports comes from the system
   (/dev: ttyS*, ttyUSB*, ttyACM* and more).
   When a port is not listed, check that the
   device is plugged in.
   To use a port, the user must be in the
   dialout group:
   sudo usermod -aG dialout $USER
   and then log in again.
   A path to a device (/dev/serial/by-id/...)
   can be typed into the port box by hand.</translation>
    </message>
    <message>
      <location filename="../src/presentation/help_texts.cpp" line="1" />
      <source>Автосоединение с COM-портом
   
   Данная  опция  актуальна  для эмуляторов
   COM-порта, когда возможно временное про-
   падание порта в системе:  перезапуск  МК
   или переподключение переходника USB-COM
   
   
   
   
   
   </source>
      <translation>Reconnecting to the COM port
   
   Useful with virtual COM ports that may
   vanish from the system for a while: a
   microcontroller restarts, or a USB-serial
   adapter is plugged in again.
   
   
   
   
   
   </translation>
    </message>
    <message>
      <location filename="../src/presentation/help_texts.cpp" line="1" />
      <source>Время накопления принимаемых данных
   
   При получении длинных сообщений возможна
   фрагментация принимаемых пакетов и вывод
   данных частями в разных строках лога.
   Для  исключения  данной   ситуации  есть
   возможность  задать  максималльное время
   накопления данных в приёмном буфере.
   Данная настройка  актуальна при работе с
   бинарными данными, когда нет явных приз-
   наков разделения пакетов
   </source>
      <translation>Time to collect received data
   
   Long messages may arrive in fragments
   and show in parts on several lines of
   the log. To avoid this, set the longest
   time the data collects in the receive
   buffer.
   The setting matters with binary data
   that has no clear packet boundaries.
   
   
   </translation>
    </message>
    <message>
      <location filename="../src/presentation/help_texts.cpp" line="1" />
      <source>Фильрация сообщений лога
   
   Здесь задаётся набор символов,по которым
   фильруются  выводимые  сообщения в логе.
   Если  окно   пустое,  то  выводятся  все
   данные,  отправляемые  и  получаемые  по
   COM-порту.
   Данную  возможность  удобно использовать
   для захвата нужных данных в т.ч. и в би-
   нарном режиме.
   
   </source>
      <translation>Filtering the log
   
   The characters typed here select the
   messages shown in the log. When the box
   is empty, all data sent and received on
   the COM port is shown.
   Handy to catch the data you need, in
   binary mode too.
   
   
   
   </translation>
    </message>
    <message>
      <location filename="../src/presentation/help_texts.cpp" line="1" />
      <source>Отправка команд вручную
   
   Команда будет  отправляться  по  нажатию
   Enter или кнопки "Отправить"
   
   
   
   
   
   
   
   </source>
      <translation>Sending commands by hand
   
   The command is sent on Enter or on the
   "Send" button.
   
   
   
   
   
   
   
   </translation>
    </message>
    <message>
      <location filename="../src/presentation/help_texts.cpp" line="1" />
      <source>Отправка команд при выборе
   
   Команда будет  отправляться  по  нажатию
   соответствующей  кнопки  с  макросом или
   при  выборе команды в списке прочитанных
   из файла.
   
   
   
   
   
   </source>
      <translation>Sending commands on select
   
   The command is sent when its macro
   button is pressed, or when it is chosen
   in the list read from a file.
   
   
   
   
   
   
   </translation>
    </message>
    <message>
      <location filename="../src/presentation/help_texts.cpp" line="1" />
      <source>Отправка команды после ответа
   
   Содержимое консольной строки будет  отп-
   равляться  сразу   же   после  получения
   ответа ответа на предыдущую команду  или
   после получения каких-либо данных.
   
   При отправке команд из файла после ответа
   на  предыдущую  команду  будет отправлена
   следующая по списку команда.
   
   </source>
      <translation>Sending a command after the answer
   
   The command line is sent as soon as the
   answer to the previous command, or any
   other data, has been received.
   
   When sending from a file, the next
   command of the list goes after the
   answer to the previous one.
   
   
   </translation>
    </message>
    <message>
      <location filename="../src/presentation/help_texts.cpp" line="1" />
      <source>Периодическая отправка команд
   
   Содержимое   консольной   строки   будет
   отправляться с указанной периодичностью.
   
   
   
   
   
   
   
   </source>
      <translation>Sending commands periodically
   
   The command line is sent again and again
   with the period set.
   
   
   
   
   
   
   
   </translation>
    </message>
    <message>
      <location filename="../src/presentation/help_texts.cpp" line="1" />
      <source>Отправка команд после соединения
   
   Если выбрана данная опция,  то  отправка
   команд  начнётся  сразу  после  создания
   соединения. Алгоритм отправки зависит от
   выбранного режима: возможна отправка как
   одной команды  в ручном  режиме,  так  и
   последовательности команд из файла, если
   открыт файл с командами  и выбран  режим
   "После ответа" или "Период, мс"
   
   </source>
      <translation>Sending commands on connect
   
   With this option, sending starts right
   after the connection is made. What is
   sent depends on the mode: one command
   in manual mode, or the commands of a
   file when a command file is open and
   the mode is "After answer" or
   "Period, ms".
   
   
   </translation>
    </message>
    <message>
      <location filename="../src/presentation/help_texts.cpp" line="1" />
      <source>Консольная строка
   
   Набор отправляемых данных формируется из
   содержимого   данной   и  дополнительной
   строки.
   ENTER - отправка команды;
   ESC - очистка строки;
   "Стрелка вниз" - показать ранее  отправ-
   ленные команды.
   Также содержимое строки меняется при на-
   жатии  кнопки  соответствующего  макроса
   во всех режимах, кроме "При выборе"</source>
      <translation>Command line
   
   The data sent is made of this line and
   the suffix line.
   ENTER - send the command;
   ESC - clear the line;
   "Down arrow" - show the commands sent
   before.
   A macro button also puts its command
   here, in every mode but "On select".
   
   </translation>
    </message>
    <message>
      <location filename="../src/presentation/help_texts.cpp" line="1" />
      <source>Хвост пакета
   
   Содержимое добавляется ко всем командам,
   отправляемым в порт.
   $XX - добавить HEX-число в ASCII-режиме,
   например: $0D$0A - добавлять \r\n.
   В бинарном  режиме  можно записывать без
   символа "$",но между числами должен быть
   пробел.
   Шаблон из списка (стрелка) - контрольная
   сумма. В HEX её байты идут через пробел,
   в ASCII с "$" - байтами, без - текстом.</source>
      <translation>Packet suffix
   
   Added to every command sent to the port.
   $XX - a HEX byte in ASCII mode, e.g.
   $0D$0A adds \r\n.
   In binary mode the bytes can go without
   "$", but with a space between them.
   A tag from the list (arrow) - a checksum.
   In HEX its bytes go apart; in ASCII with
   "$" - as bytes, without - as text.
   
   </translation>
    </message>
    <message>
      <location filename="../src/presentation/help_texts.cpp" line="1" />
      <source>Циклическая отправка
   
  Команды из файла отправляются  циклически,
  т.е. после достижения конца файла отправка
  команд начинается заново, начиная с первой
  команды.
  
  
  
  
  
  </source>
      <translation>Sending in a loop
   
  The commands of the file are sent in a
  loop: after the end of the file, sending
  starts again from the first command.
   
   
   
   
   
   
   </translation>
    </message>
    <message>
      <location filename="../src/presentation/help_texts.cpp" line="1" />
      <source>Линии порта
   
   DTR и RTS - выходы порта: щелчок вклю-
   чает или выключает линию.
   CTS, DSR, DCD и RI - входы от устройства:
   ● - линия включена, ○ - выключена,
   — - устройство не сообщает о линиях
   (например, псевдотерминал).
   Правая кнопка мыши: сброс импульсом,
   Break, параметры порта.
   При управлении потоком RTS/CTS линией
   RTS управляет драйвер.</source>
      <translation>Port lines
   
   DTR and RTS are the port's outputs: a
   click asserts or drops the line.
   CTS, DSR, DCD and RI come from the
   device: ● on, ○ off, — the device
   does not report its lines (a pseudo-
   terminal, for one).
   Right mouse button: reset pulse,
   Break, port settings.
   Under RTS/CTS flow control the driver
   drives RTS.</translation>
    </message>
    <message>
      <location filename="../src/presentation/help_texts.cpp" line="1" />
      <source>Параметры порта
   Чётность и управление потоком (со сле-
   дующего соединения), DTR и RTS при сое-
   динении, импульс сброса и Break.
   Таймер задержки USB (FTDI и др.): адап-
   тер копит байты до этого времени, паузы
   короче него пропадают, пакеты сливаются.
   Для TimeRX меньше него уменьшите таймер
   от root: echo 1 &gt; .../latency_timer
   Всё сохраняется в файле CfgLine.
   Открывается также из меню поля порта
   (правая кнопка мыши) и по Ctrl+Shift+P.</source>
      <translation>Port settings
   Parity and flow control (from the next
   connection), DTR and RTS on connect,
   the reset pulse and Break.
   USB latency timer (FTDI and others):
   the adapter holds bytes up to this
   long; shorter gaps vanish and packets
   merge. For a smaller TimeRX lower it
   as root: echo 1 &gt; .../latency_timer
   All is kept in the file CfgLine.
   Also opened from the port box's menu
   (right mouse button) and Ctrl+Shift+P.</translation>
    </message>
    <message>
      <location filename="../src/serial/connection.cpp" line="15" />
      <source>Что-то не открывается порт. Программа может работать только с COM1..COM9.</source>
      <translation>The port does not open. The program can only work with COM1..COM9.</translation>
    </message>
    <message>
      <location filename="../src/serial/connection.cpp" line="22" />
      <source>Нет доступа к порту. Добавьте пользователя в группу dialout (sudo usermod -aG dialout $USER) и войдите в систему заново.</source>
      <translation>No access to the port. Add the user to the dialout group (sudo usermod -aG dialout $USER) and log in again.</translation>
    </message>
    <message>
      <location filename="../src/serial/connection.cpp" line="25" />
      <source>Порт занят: его открыла другая программа.</source>
      <translation>The port is busy: another program has it open.</translation>
    </message>
    <message>
      <location filename="../src/serial/connection.cpp" line="27" />
      <source>Порт занят: его заблокировала другая программа (например, picocom или minicom).</source>
      <translation>The port is busy: another program has locked it (picocom or minicom, for example).</translation>
    </message>
    <message>
      <location filename="../src/serial/connection.cpp" line="29" />
      <source>Порт не найден: устройство отключено или такого порта нет.</source>
      <translation>Port not found: the device is unplugged or there is no such port.</translation>
    </message>
    <message>
      <location filename="../src/serial/connection.cpp" line="31" />
      <source>Порт не принимает эти параметры: скорость, биты данных или стоповые биты.</source>
      <translation>The port refuses these settings: the baud rate, data bits or stop bits.</translation>
    </message>
    <message>
      <location filename="../src/serial/connection.cpp" line="45" />
      <source>%1 — не последовательный порт: у этого устройства нет настроек линии.</source>
      <translation>%1 is not a serial port: this device has no line settings.</translation>
    </message>
    <message>
      <location filename="../src/serial/connection.cpp" line="47" />
      <source>Порт не открыт: файл блокировки %1 — не обычный файл (его мог подложить другой пользователь). Удалите его и попробуйте снова.</source>
      <translation>The port was not opened: its lock file %1 is not a regular file (another user may have planted it). Remove it and try again.</translation>
    </message>
    <message>
      <location filename="../src/serial/connection.cpp" line="52" />
      <source>Порт занят: его держит программа %1. Закройте её и попробуйте снова.</source>
      <translation>The port is busy: it is held by %1. Close that program and try again.</translation>
    </message>
    <message>
      <location filename="../src/serial/port_access.cpp" line="67" />
      <source>Запустите программу от имени администратора или выберите порт вручную</source>
      <translation>Run the program as administrator or choose the port by hand</translation>
    </message>
    <message>
      <location filename="../src/serial/port_access.cpp" line="75" />
      <source>Последовательные порты не найдены. Подключён ли переходник USB? Его порт появляется как /dev/ttyUSB* или /dev/ttyACM*. Для работы с портом пользователь должен входить в группу dialout (sudo usermod -aG dialout $USER). Порт можно выбрать вручную.</source>
      <translation>No serial ports were found. Is the USB adapter plugged in? Its port appears as /dev/ttyUSB* or /dev/ttyACM*. To use a port, the user must be in the dialout group (sudo usermod -aG dialout $USER). A port can also be chosen by hand.</translation>
    </message>
    <message>
      <location filename="../src/serial/port_access.cpp" line="132" />
      <source>%1 — не последовательный порт: по этому пути нет символьного устройства.</source>
      <translation>%1 is not a serial port: there is no character device at this path.</translation>
    </message>
    <message>
      <location filename="../src/serial/port_access.cpp" line="139" />
      <source>Выбери порт!</source>
      <translation>Choose a port!</translation>
    </message>
    <message>
      <location filename="../src/telnet/network_address.cpp" line="56" />
      <source>Сетевой порт задаётся как tcp://УЗЕЛ:ПОРТ или rfc2217://УЗЕЛ:ПОРТ.</source>
      <translation>A network port is given as tcp://HOST:PORT or rfc2217://HOST:PORT.</translation>
    </message>
    <message>
      <location filename="../src/telnet/network_address.cpp" line="69" />
      <source>В адресе IPv6 нет закрывающей скобки ].</source>
      <translation>The IPv6 address has no closing bracket ].</translation>
    </message>
    <message>
      <location filename="../src/telnet/network_address.cpp" line="73" />
      <source>Не указан номер порта: tcp://УЗЕЛ:ПОРТ.</source>
      <translation>No port number given: tcp://HOST:PORT.</translation>
    </message>
    <message>
      <location filename="../src/telnet/network_address.cpp" line="78" />
      <source>Адрес IPv6 в скобках записан неверно.</source>
      <translation>The IPv6 address in brackets is not valid.</translation>
    </message>
    <message>
      <location filename="../src/telnet/network_address.cpp" line="89" />
      <source>Адрес IPv6 пишется в квадратных скобках: tcp://[::1]:ПОРТ.</source>
      <translation>An IPv6 address goes in square brackets: tcp://[::1]:PORT.</translation>
    </message>
    <message>
      <location filename="../src/telnet/network_address.cpp" line="92" />
      <source>Не указан узел: tcp://УЗЕЛ:ПОРТ.</source>
      <translation>No host given: tcp://HOST:PORT.</translation>
    </message>
    <message>
      <location filename="../src/telnet/network_address.cpp" line="94" />
      <source>Имя узла записано неверно.</source>
      <translation>The host name is not valid.</translation>
    </message>
    <message>
      <location filename="../src/telnet/network_address.cpp" line="99" />
      <source>Номер порта должен быть от 1 до 65535.</source>
      <translation>The port number must be 1 to 65535.</translation>
    </message>
    <message>
      <location filename="../src/terminal/terminal_automation.cpp" line="121" />
      <source>нет ответа</source>
      <translation>no answer</translation>
    </message>
    <message>
      <location filename="../src/terminal/terminal_automation.cpp" line="144" />
      <source>Файл остановлен. Отправлено строк: %1, ожиданий выполнено: %2, не дождались: %3</source>
      <translation>The file stopped. Lines sent: %1, waits matched: %2, timed out: %3</translation>
    </message>
    <message>
      <location filename="../src/terminal/terminal_automation.cpp" line="145" />
      <source>Файл отправлен. Отправлено строк: %1, ожиданий выполнено: %2, не дождались: %3</source>
      <translation>The file was sent. Lines sent: %1, waits matched: %2, timed out: %3</translation>
    </message>
    <message>
      <location filename="../src/terminal/terminal_automation.cpp" line="147" />
      <source>нет</source>
      <translation>none</translation>
    </message>
    <message>
      <location filename="../src/terminal/terminal_automation.cpp" line="277" />
      <source>Правило «%1» отключено: регулярное выражение требует слишком много работы</source>
      <translation>Rule “%1” switched off: its regular expression takes too much work</translation>
    </message>
    <message>
      <location filename="../src/terminal/terminal_automation.cpp" line="285" />
      <source>Автоматика остановлена: больше %1 действий в секунду. Последнее правило: «%2». Чтобы включить её снова, сохраните правила.</source>
      <translation>Automation stopped: more than %1 actions a second. Last rule: “%2”. Save the rules to switch it on again.</translation>
    </message>
    <message>
      <location filename="../src/transmit/send_scheduler.cpp" line="11" />
      <source>Все команды отправлены</source>
      <translation>All commands sent</translation>
    </message>
    <message>
      <location filename="../src/transmit/send_scheduler.cpp" line="12" />
      <source>Большой файл</source>
      <translation>The file is too big</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/about_dialog.cpp" line="50" />
      <source>Терминал для работы с COM-портом</source>
      <translation>A terminal for serial (COM) ports</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/about_dialog.cpp" line="66" />
      <source>Сайт: https://comtrax.example</source>
      <translation>Site: https://comtrax.example</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/about_dialog.cpp" line="84" />
      <source>Почта: support@comtrax.example</source>
      <translation>Mail: support@comtrax.example</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/about_dialog.cpp" line="87" />
      <source>Декабрь 2026</source>
      <translation>December 2026</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/macro_help_editor.cpp" line="52" />
      <source>Редактор макроса</source>
      <translation>Macro editor</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/macro_help_editor.cpp" line="73" />
      <source>Имя команды</source>
      <translation>Command name</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/macro_help_editor.cpp" line="75" />
      <source>Командная строка</source>
      <translation>Command line</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/macro_help_editor.cpp" line="77" />
      <source>Описание команды</source>
      <translation>Command description</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/no_port_dialog.cpp" line="118" />
      <source>Порт не открыт</source>
      <translation>Port not open</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/no_port_dialog.cpp" line="140" />
      <source>Выберите порт и нажмите Connect</source>
      <translation>Choose a port and press Connect</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/no_port_dialog.cpp" line="143" />
      <source>Список портов находится справа от кнопки ReScan.
Если нужного порта нет, подключите устройство
и нажмите ReScan.</source>
      <translation>The port list is right of the ReScan button.
If your port is not there, plug the device in
and press ReScan.</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="25" />
      <source> мс</source>
      <translation> ms</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="45" />
      <source>Параметры порта</source>
      <translation>Port settings</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="47" />
      <source>Линия (при следующем соединении)</source>
      <translation>Line (from the next connection)</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="50" />
      <source>нечётная (odd)</source>
      <translation>odd</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="50" />
      <source>чётная (even)</source>
      <translation>even</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="50" />
      <source>всегда 1 (mark)</source>
      <translation>always 1 (mark)</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="50" />
      <source>всегда 0 (space)</source>
      <translation>always 0 (space)</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="58" />
      <source>Чётность:</source>
      <translation>Parity:</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="59" />
      <source>Управление потоком:</source>
      <translation>Flow control:</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="60" />
      <source>Не ждать подтверждений сервера</source>
      <translation>Do not wait for the server's acknowledgements</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="61" />
      <source>Настройки линии и сигналы уходят на сервер RFC 2217 без ожидания ответа: для серверов, которые не подтверждают команды</source>
      <translation>The line settings and signals go to the RFC 2217 server without waiting for its answer: for servers that do not acknowledge commands</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="66" />
      <source>DTR и RTS</source>
      <translation>DTR and RTS</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="67" />
      <source>DTR включён при соединении</source>
      <translation>DTR asserted on connect</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="68" />
      <source>RTS включён при соединении</source>
      <translation>RTS asserted on connect</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="69" />
      <source>Снимите, если плата перезапускается по DTR</source>
      <translation>Clear it if the board resets on DTR</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="75" />
      <source>Длительность импульса сброса</source>
      <translation>Reset pulse length</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="76" />
      <source>Импульс сброса: DTR</source>
      <translation>Reset pulse: DTR</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="77" />
      <source>Импульс сброса: RTS</source>
      <translation>Reset pulse: RTS</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="87" />
      <source>Импульс сброса:</source>
      <translation>Reset pulse:</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="88" />
      <source>Длительность Break:</source>
      <translation>Break length:</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="90" />
      <source>Сброс импульсом</source>
      <translation>Reset pulse</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="92" />
      <source>Выбранные линии выключаются на время импульса и включаются снова</source>
      <translation>The chosen lines are dropped for the length of the pulse and asserted again</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="95" />
      <source>Закрыть</source>
      <translation>Close</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="116" />
      <source>Адаптер копит принятые байты до этого времени: паузы короче него теряются и пакеты сливаются. Для TimeRX меньше него уменьшите таймер (нужны права root, см. справку).</source>
      <translation>The adapter holds received bytes up to this long: gaps shorter than it vanish and packets merge. For a TimeRX below it, lower the timer (needs root, see the help).</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="198" />
      <source>Под управлением потоком RTS/CTS линией RTS управляет драйвер.</source>
      <translation>Under RTS/CTS flow control the driver drives RTS.</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="199" />
      <source>Сброс импульсом и Break доступны при соединении.</source>
      <translation>Reset pulse and Break are available while connected.</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/port_settings_dialog.cpp" line="206" />
      <source>Таймер задержки USB: %1 мс</source>
      <translation>USB latency timer: %1 ms</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/qt_dialog_service.cpp" line="54" />
      <source>Да</source>
      <translation>Yes</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/qt_dialog_service.cpp" line="55" />
      <source>Нет</source>
      <translation>No</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/save_macros_prompt.cpp" line="20" />
      <source>Сохранить изменения  макросов?</source>
      <translation>Save the changes to the macros?</translation>
    </message>
    <message>
      <location filename="../src/ui/dialogs/save_macros_prompt.cpp" line="35" />
      <source>Отмена</source>
      <translation>Cancel</translation>
    </message>
    <message>
      <location filename="../src/ui/logview/log_find_bar.cpp" line="24" />
      <source>Далее</source>
      <translation>Next</translation>
    </message>
    <message>
      <location filename="../src/ui/logview/log_find_bar.cpp" line="25" />
      <source>Назад</source>
      <translation>Back</translation>
    </message>
    <message>
      <location filename="../src/ui/logview/log_find_bar.cpp" line="26" />
      <source>Учитывать регистр</source>
      <translation>Match case</translation>
    </message>
    <message>
      <location filename="../src/ui/logview/log_find_bar.cpp" line="35" />
      <source>Найти:</source>
      <translation>Find:</translation>
    </message>
    <message>
      <location filename="../src/ui/logview/log_text_view_accessible.cpp" line="113" />
      <source>Окно лога</source>
      <translation>Log window</translation>
    </message>
    <message>
      <location filename="../src/ui/logview/log_text_view_input.cpp" line="212" />
      <source>Копировать</source>
      <translation>Copy</translation>
    </message>
    <message>
      <location filename="../src/ui/logview/log_text_view_input.cpp" line="215" />
      <source>Выделить всё</source>
      <translation>Select all</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/command_file_view.cpp" line="63" />
      <source>Из файла</source>
      <translation>From file</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/line_options_menu.cpp" line="13" />
      <source>Чётность: нет</source>
      <translation>Parity: none</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/line_options_menu.cpp" line="13" />
      <source>Чётность: нечётная (odd)</source>
      <translation>Parity: odd</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/line_options_menu.cpp" line="13" />
      <source>Чётность: чётная (even)</source>
      <translation>Parity: even</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/line_options_menu.cpp" line="14" />
      <source>Чётность: всегда 1 (mark)</source>
      <translation>Parity: mark (always 1)</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/line_options_menu.cpp" line="14" />
      <source>Чётность: всегда 0 (space)</source>
      <translation>Parity: space (always 0)</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/line_options_menu.cpp" line="15" />
      <source>Управление потоком: нет</source>
      <translation>Flow control: none</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/line_options_menu.cpp" line="15" />
      <source>Управление потоком: RTS/CTS</source>
      <translation>Flow control: RTS/CTS</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/line_options_menu.cpp" line="16" />
      <source>Управление потоком: XON/XOFF</source>
      <translation>Flow control: XON/XOFF</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/line_options_menu.cpp" line="46" />
      <source>Параметры порта…</source>
      <translation>Port settings…</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/line_options_menu.cpp" line="78" />
      <source>Чётность и управление потоком: правая кнопка мыши</source>
      <translation>Parity and flow control: right mouse button</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/line_state_strip.cpp" line="59" />
      <source>DTR: щелчок включает или выключает линию</source>
      <translation>DTR: click to assert or drop the line</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/line_state_strip.cpp" line="60" />
      <source>RTS: щелчок включает или выключает линию</source>
      <translation>RTS: click to assert or drop the line</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/line_state_strip.cpp" line="79" />
      <source>Линии порта; правая кнопка мыши: сброс импульсом, Break, параметры порта</source>
      <translation>Port lines; right mouse button: reset pulse, Break, port settings</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/line_state_strip.cpp" line="139" />
      <source>%1 (сервер: %2)</source>
      <translation>%1 (server: %2)</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/line_state_strip.cpp" line="140" />
      <source>Скорость: запрошена %1, сервер установил %2</source>
      <translation>Baud: %1 asked, the server set %2</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/macro_panel.cpp" line="291" />
      <source>Список откроется по двойному клику</source>
      <translation>Double-click opens the list</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/macro_panel_editor.cpp" line="55" />
      <source>Редактор</source>
      <translation>Editor</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/macro_panel_editor.cpp" line="97" />
      <source>Макросы не сохранены: файлы этого каталога использует другое окно Comtrax</source>
      <translation>The macros were not saved: another Comtrax window uses the files of this directory</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/options_band.cpp" line="75" />
      <source>Проверять CRC-16/MODBUS принятых пакетов</source>
      <translation>Check the CRC-16/MODBUS of received packets</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/options_band.cpp" line="97" />
      <source>Время в строках лога. Правая кнопка мыши добавляет к принятым строкам, в окне и в файле лога: @ - время прихода первого байта пакета с миллисекундами, gap - тишину после конца предыдущего пакета, ans - время от ухода последнего байта отправленной строки до первого байта ответа ("-", если отсчитывать не от чего).</source>
      <translation>Times on log lines. The right mouse button adds to received lines, in the window and the log file: @ - when the packet's first byte arrived, with milliseconds; gap - the silence since the previous packet ended; ans - the time from the last sent line's last byte leaving to the answer's first byte ("-" where there is nothing to measure from).</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/options_band.cpp" line="101" />
      <source>Время прихода первого байта пакета (мс)</source>
      <translation>Arrival time of the packet's first byte (ms)</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/options_band.cpp" line="102" />
      <source>Тишина перед пакетом</source>
      <translation>Silence before the packet</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/options_band.cpp" line="103" />
      <source>Время ответа после отправленной строки</source>
      <translation>Answer time after the sent line</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/port_controls.cpp" line="50" />
      <source>Чётность, управление потоком, DTR и RTS, сброс импульсом, Break (Ctrl+Shift+P)</source>
      <translation>Parity, flow control, DTR and RTS, reset pulse, Break (Ctrl+Shift+P)</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/top_bar.cpp" line="117" />
      <source>3,5 символа (Modbus RTU, по скорости и формату кадра)</source>
      <translation>3.5 characters (Modbus RTU, from the rate and frame format)</translation>
    </message>
    <message>
      <location filename="../src/ui/panels/top_bar.cpp" line="319" />
      <source>Пакет завершается паузой в 3,5 символа (Modbus RTU): время считается по скорости и формату кадра (старт, данные, чётность, стоп), выше 19200 бод - 1,75 мс. Стрелки возвращают миллисекунды.</source>
      <translation>A packet ends after a silence of 3.5 characters (Modbus RTU): the time follows the baud rate and frame format (start, data, parity, stop), 1.75 ms above 19200 baud. The arrows return to milliseconds.</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_canvas.cpp" line="31" />
      <source>Отсчёт</source>
      <translation>Sample</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_canvas.cpp" line="67" />
      <source>Время, с</source>
      <translation>Time, s</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_canvas.cpp" line="212" />
      <source>t = %1 с</source>
      <translation>t = %1 s</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_window.cpp" line="40" />
      <source>График</source>
      <translation>Plot</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_window.cpp" line="59" />
      <source>Текст: метка:значение</source>
      <translation>Text: label:value</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_window.cpp" line="61" />
      <source>Регулярное выражение</source>
      <translation>Regular expression</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_window.cpp" line="62" />
      <source>HEX-поля</source>
      <translation>HEX fields</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_window.cpp" line="69" />
      <source>Поля через «;»: имя смещение тип [масштаб [сдвиг]]; типы u8 i8 u16 i16 u32 i32 f32, с be или le</source>
      <translation>Fields separated by “;”: name offset type [scale [add]]; types u8 i8 u16 i16 u32 i32 f32, with be or le</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_window.cpp" line="73" />
      <source>Без проверки</source>
      <translation>No check</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_window.cpp" line="74" />
      <source>Кадр Modbus</source>
      <translation>Modbus frame</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_window.cpp" line="77" />
      <source>Применить</source>
      <translation>Apply</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_window.cpp" line="94" />
      <source>Сколько отсчётов хранит каждый канал</source>
      <translation>How many samples each channel keeps</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_window.cpp" line="101" />
      <source>X: номер отсчёта</source>
      <translation>X: sample number</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_window.cpp" line="102" />
      <source>X: время приёма</source>
      <translation>X: receive time</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_window.cpp" line="109" />
      <source>Автомасштаб</source>
      <translation>Autoscale</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_window.cpp" line="113" />
      <source>Пауза</source>
      <translation>Pause</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_window.cpp" line="117" />
      <source>На паузе график можно сдвигать мышью и масштабировать колесом; приём идёт дальше</source>
      <translation>While paused, drag the plot with the mouse and zoom with the wheel; receiving goes on</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_window.cpp" line="119" />
      <source>Очистить</source>
      <translation>Clear</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_window.cpp" line="124" />
      <source>Сохранить значения</source>
      <translation>Save values</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_window.cpp" line="131" />
      <source>Сохранить рисунок</source>
      <translation>Save picture</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_window.cpp" line="139" />
      <source>Флажок показывает канал; двойной щелчок меняет цвет, F2 — имя</source>
      <translation>The check box shows a channel; double-click changes its colour, F2 its name</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_window.cpp" line="159" />
      <source>Точек:</source>
      <translation>Points:</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_window.cpp" line="364" />
      <source>Отсчётов: %1, каналов: %2</source>
      <translation>Samples: %1, channels: %2</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_window.cpp" line="366" />
      <source>; пропущено полей: %1</source>
      <translation>; fields skipped: %1</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_window.cpp" line="368" />
      <source>; кадров с плохой контрольной суммой: %1</source>
      <translation>; frames with a bad checksum: %1</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_window.cpp" line="370" />
      <source>; слишком длинных строк: %1</source>
      <translation>; lines too long: %1</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_window.cpp" line="372" />
      <source>; выражение не успело: %1</source>
      <translation>; expression gave up: %1</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_window.cpp" line="374" />
      <source>; каналов больше %1, лишние не показаны</source>
      <translation>; more than %1 channels, the rest not shown</translation>
    </message>
    <message>
      <location filename="../src/ui/plot/plot_window.cpp" line="376" />
      <source>ошибка: %1</source>
      <translation>error: %1</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="68" />
      <source>не проверять</source>
      <translation>not checked</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="69" />
      <source>кадр Modbus (CRC)</source>
      <translation>Modbus frame (CRC)</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="78" />
      <source>текст ($XX — байт)</source>
      <translation>text ($XX is a byte)</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="79" />
      <source>HEX (?? — любой байт)</source>
      <translation>HEX (?? is any byte)</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="80" />
      <source>регулярное выражение</source>
      <translation>regular expression</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="87" />
      <source>Правила</source>
      <translation>Rules</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="97" />
      <source>Добавить</source>
      <translation>Add</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="98" />
      <source>Удалить</source>
      <translation>Remove</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="112" />
      <source>включено</source>
      <translation>enabled</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="118" />
      <source>искать и через границы пакетов</source>
      <translation>also across packet borders</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="124" />
      <source>По одному действию в строке: send ТЕКСТ, sendhex БАЙТЫ, macro СПИСОК НОМЕР, note ТЕКСТ, pulse-dtr, pulse-rts, break, log-start, log-stop, stop-sending. В отправке \1 … \9 и \{имя} — захваченные группы регулярного выражения.</source>
      <translation>One action a line: send TEXT, sendhex BYTES, macro LIST NUMBER, note TEXT, pulse-dtr, pulse-rts, break, log-start, log-stop, stop-sending. In a send, \1 … \9 and \{name} are the regular expression's captured groups.</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="129" />
      <source>каждый раз</source>
      <translation>every time</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="132" />
      <source>после срабатывания проверять и следующие правила</source>
      <translation>after acting, try the following rules too</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="137" />
      <source>Имя</source>
      <translation>Name</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="139" />
      <source>Шаблон</source>
      <translation>Pattern</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="142" />
      <source>Контрольная сумма</source>
      <translation>Checksum</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="143" />
      <source>Действия</source>
      <translation>Actions</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="144" />
      <source>Суффикс отправки</source>
      <translation>Send suffix</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="145" />
      <source>Сколько раз</source>
      <translation>How many times</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="146" />
      <source>Задержка</source>
      <translation>Delay</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="147" />
      <source>Пауза после</source>
      <translation>Cool-down</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="153" />
      <source>Останавливать автоматику, если действий в секунду больше</source>
      <translation>Stop the automation at more actions a second than</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="161" />
      <source>Ожидание ответа (режим «после ответа»)</source>
      <translation>Waiting for the answer (after-answer mode)</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="165" />
      <source>ждать без конца</source>
      <translation>wait for ever</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="168" />
      <source>перейти к следующей строке</source>
      <translation>go on with the next line</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="168" />
      <source>остановить отправку</source>
      <translation>stop sending</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="169" />
      <source>ответом считать только пакет с шаблоном</source>
      <translation>only a packet with this pattern is the answer</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="173" />
      <source>Нет ответа через</source>
      <translation>No answer after</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="174" />
      <source>Повторить строку</source>
      <translation>Send the line again</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="175" />
      <source>Затем</source>
      <translation>Then</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="178" />
      <source>Контрольная сумма ответа</source>
      <translation>Checksum of the answer</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="221" />
      <source>(без имени)</source>
      <translation>(no name)</translation>
    </message>
    <message>
      <location filename="../src/ui/rules/rules_dialog.cpp" line="312" />
      <source>Правило %1</source>
      <translation>Rule %1</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="189" />
      <source>Временнй интервал разделения пакетов, мс</source>
      <translation>Time gap that ends a packet, ms</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="192" />
      <source>Если данные не поступают дольше указанного времени (мс), то приём данных завершён. Следует учитывать возможность переполнения приёмного буфера, если установлен большой таймаут.</source>
      <translation>When no data arrives for longer than this time (ms), the packet is complete. Mind that a long timeout may overflow the receive buffer.</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="197" />
      <source>Фильтр сообщений</source>
      <translation>Message filter</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="198" />
      <source>Размер шрифта</source>
      <translation>Font size</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="200" />
      <source>Очистить окно лога</source>
      <translation>Clear the log window</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="204" />
      <source>Остановить/продолжить вывод лога</source>
      <translation>Freeze/resume the log</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="206" />
      <source>Цвет окна лога</source>
      <translation>Log window colours</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="235" />
      <source>Пример: "command"</source>
      <translation>Example: "command"</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="237" />
      <source>Пример: "00 01 02 03 0D 0E 12 13"</source>
      <translation>Example: "00 01 02 03 0D 0E 12 13"</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="245" />
      <source>Отправка:</source>
      <translation>Sending:</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="246" />
      <source>Ручная</source>
      <translation>Manual</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="247" />
      <source>После ответа</source>
      <translation>After answer</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="248" />
      <source>При выборе</source>
      <translation>On select</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="249" />
      <source>Период, мс:</source>
      <translation>Period, ms:</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="260" />
      <source>Отправить при соединении</source>
      <translation>Send on connect</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="261" />
      <source>Циклическая отправка из файла</source>
      <translation>Send the file in a loop</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="268" />
      <source>Число отправленных пакетов</source>
      <translation>Packets sent</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="270" />
      <source>Число принятых пакетов</source>
      <translation>Packets received</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="272" />
      <source>Минимальное время между принятыми пакетами</source>
      <translation>Shortest time between received packets</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="274" />
      <source>Максимальное время между принятыми пакетами</source>
      <translation>Longest time between received packets</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="276" />
      <source>Обнулить статистику</source>
      <translation>Reset the statistics</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="313" />
      <source>Можно дважды кликнуть мышкой</source>
      <translation>Double-click to open</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="325" />
      <source>Очистить весь список команд</source>
      <translation>Clear the whole command list</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="327" />
      <source>Сохранить</source>
      <translation>Save</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="328" />
      <source>Сохранить все изменения в файл</source>
      <translation>Save all changes to the file</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="331" />
      <source>Предыдущий список</source>
      <translation>Previous list</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="336" />
      <source>Следующий список</source>
      <translation>Next list</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="346" />
      <source>Отправить из файла</source>
      <translation>Send from file</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="348" />
      <source>Отправить</source>
      <translation>Send</translation>
    </message>
    <message>
      <location filename="../src/ui/window/build_controls.cpp" line="403" />
      <source>Двойной клик по команде откроет окно редактирования справки</source>
      <translation>Double-click a command to edit its help</translation>
    </message>
    <message>
      <location filename="../src/ui/window/rules_tool.cpp" line="47" />
      <source>Файл правил %1 не прочитан, правила выключены и он не будет перезаписан: %2</source>
      <translation>The rules file %1 was not read; the rules are off and the file will not be overwritten: %2</translation>
    </message>
    <message>
      <location filename="../src/ui/window/rules_tool.cpp" line="61" />
      <source>Шаблон ответа не принят, ответом считается любой пакет: %1</source>
      <translation>The answer pattern was not accepted, any packet counts as the answer: %1</translation>
    </message>
    <message>
      <location filename="../src/ui/window/rules_tool.cpp" line="66" />
      <source>Правила действуют, но не сохранены: файл %1 не был прочитан</source>
      <translation>The rules act but were not saved: the file %1 was not read</translation>
    </message>
    <message>
      <location filename="../src/ui/window/rules_tool.cpp" line="72" />
      <source>Правила не сохранены: %1</source>
      <translation>The rules were not saved: %1</translation>
    </message>
    <message>
      <location filename="../src/ui/window/terminal_window.cpp" line="238" />
      <source>Каталог %1 уже использует другое окно Comtrax.
Сохранять настройки, историю команд и макросы этого окна поверх его файлов?</source>
      <translation>Another Comtrax window already uses the directory %1.
Save the settings, command history and macros of this window over its files?</translation>
    </message>
    <message>
      <location filename="../src/ui/window/terminal_window.cpp" line="247" />
      <source>Проблема с файлом конфигурации, он будет перезаписан</source>
      <translation>The configuration file is damaged; it will be rewritten</translation>
    </message>
    <message>
      <location filename="../src/ui/window/terminal_window.cpp" line="294" />
      <source>Следующее закрытие закроет окно, даже если сохранить не удастся.</source>
      <translation>The next close closes the window even if the files cannot be saved.</translation>
    </message>
    <message>
      <location filename="../src/ui/window/terminal_window_plot.cpp" line="27" />
      <source>График...</source>
      <translation>Plot...</translation>
    </message>
    <message>
      <location filename="../src/ui/window/terminal_window_rules.cpp" line="14" />
      <source>Правила…</source>
      <translation>Rules…</translation>
    </message>
    <message>
      <source>Параметры порта
   
   Чётность и управление потоком (действуют
   со следующего соединения), DTR и RTS при
   соединении, импульс сброса (какие линии
   и на сколько) и длительность Break.
   При соединении здесь же - сброс импуль-
   сом и Break.
   Всё сохраняется в файле CfgLine.
   Открывается также из меню поля порта
   (правая кнопка мыши) и по Ctrl+Shift+P.
   </source>
      <translation type="obsolete">Port settings
   
   Parity and flow control (from the next
   connection on), DTR and RTS on connect,
   the reset pulse (which lines drop and
   for how long) and the Break length.
   While connected: the reset pulse and
   Break themselves.
   All of it is kept in the file CfgLine.
   Also on the port box's menu (right
   mouse button) and on Ctrl+Shift+P.
   </translation>
    </message>
    <message>
      <source>порт: имя из списка (ttyUSB0) или путь к устройству</source>
      <translation type="obsolete">the port: a name from the list (ttyUSB0) or a path to a device</translation>
    </message>
  </context>
</TS>
