#include "core/util/SafePaths.h"

#include <QStringList>

namespace kestrova {

namespace {

bool HasControlCharacter(const QString& text) {
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control) return true;
    }
    return false;
}

} // namespace

QString UnsafeNameReason(const QString& name) {
    if (name.isEmpty()) return QStringLiteral("no text.");
    if (name.contains(QLatin1Char('/'))) return QStringLiteral("it holds \"/\".");
    if (name.contains(QLatin1Char('\\'))) return QStringLiteral("it holds \"\\\".");
    if (HasControlCharacter(name)) return QStringLiteral("it holds a control character.");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("it is \"") + name + QStringLiteral("\".");
    if (name.startsWith(QLatin1Char('.'))) return QStringLiteral("it starts with \".\".");
    return {};
}

bool StaysInside(const QString& dir, const QString& path) {
    if (dir.isEmpty() || !dir.endsWith(QLatin1Char('/')) || !path.startsWith(dir)) return false;
    const QString rest = path.mid(dir.size());
    if (rest.isEmpty() || HasControlCharacter(rest)) return false;
    for (const QString& part : rest.split(QLatin1Char('/'))) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..")) return false;
    }
    return true;
}

} // namespace kestrova
