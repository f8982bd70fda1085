#pragma once
// The waiting choice of an rfc2217:// port lives in its name ("?nowait" at
// the end), so that it is kept with the name among the recent network ports.
#include <QString>

namespace comtrax {

bool isRfc2217PortName(const QString& name);
bool hasNoWait(const QString& name);
// The name with "?nowait" added or taken away (one of it at most).
QString withNoWait(const QString& name, bool noWait);

}  // namespace comtrax
