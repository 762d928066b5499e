#pragma once

#include <QCursor>
#include <QHash>
#include <QPixmap>
#include <QString>
#include <optional>

namespace kestrova {

// The busy cursors, registered by number from their names. A name that cannot be loaded leaves its
// number unregistered; that number then shows the default cursor.
class BusyCursors {
public:
    // Registers the nine station cursors (105 "BCODEB" .. 113 "MAGGLASS").
    void registerStationCursors();
    bool registerCursor(int number, const QString& name);
    bool isRegistered(int number) const { return m_cursors.contains(number); }
    QCursor cursor(int number) const;

    // The drawn cursor image for a resource name, or nothing for an unknown name.
    static std::optional<QPixmap> loadCursorImage(const QString& name);

private:
    QHash<int, QCursor> m_cursors;
};

} // namespace kestrova
