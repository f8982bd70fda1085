#include "common/texts.h"

#include <cstring>
#include <utility>

namespace comtrax {

namespace {

TextTranslator& translator()
{
    static TextTranslator t;
    return t;
}

}  // namespace

void setTextTranslator(TextTranslator t)
{
    translator() = std::move(t);
}

std::string trText(const char* source)
{
    const TextTranslator& t = translator();
    return t ? t(source) : std::string(source);
}

std::string trFormat(const char* source, std::initializer_list<std::string_view> args)
{
    const std::string text = trText(source);
    std::string out;
    out.reserve(text.size() + 64);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const std::size_t n = static_cast<std::size_t>(text[i + 1] - '1');
            if (n < args.size()) {
                out += *(args.begin() + n);
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string systemReason(int err)
{
    switch (err) {
    case ENOENT:
        return trText("нет такого файла или каталога");
    case EACCES:
    case EPERM:
        return trText("нет прав доступа");
    case EISDIR:
        return trText("это каталог");
    case ENOTDIR:
        return trText("часть пути не является каталогом");
    case ENOSPC:
        return trText("на диске нет места");
    case EDQUOT:
        return trText("превышена дисковая квота");
    case EROFS:
        return trText("файловая система только для чтения");
    case EIO:
        return trText("ошибка ввода-вывода");
    case EBUSY:
        return trText("устройство занято");
    case ENODEV:
    case ENXIO:
        return trText("нет такого устройства");
    case EEXIST:
        return trText("файл уже существует");
    case ENAMETOOLONG:
        return trText("слишком длинное имя");
    case EMFILE:
    case ENFILE:
        return trText("открыто слишком много файлов");
    case EFBIG:
        return trText("файл слишком велик");
    case ELOOP:
        return trText("слишком много символических ссылок");
    case EINVAL:
        return trText("недопустимый параметр");
    default:
        return std::strerror(err);
    }
}

}  // namespace comtrax
