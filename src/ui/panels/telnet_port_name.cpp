#include "ui/panels/telnet_port_name.h"

namespace comtrax {

namespace {
const QString NoWaitSuffix = QStringLiteral("?nowait");
}

bool isRfc2217PortName(const QString& name)
{
    return name.trimmed().startsWith(QStringLiteral("rfc2217://"), Qt::CaseInsensitive);
}

bool hasNoWait(const QString& name)
{
    return name.trimmed().endsWith(NoWaitSuffix, Qt::CaseInsensitive);
}

QString withNoWait(const QString& name, bool noWait)
{
    QString bare = name.trimmed();
    while (bare.endsWith(NoWaitSuffix, Qt::CaseInsensitive))
        bare.chop(NoWaitSuffix.size());
    return noWait ? bare + NoWaitSuffix : bare;
}

}  // namespace comtrax
