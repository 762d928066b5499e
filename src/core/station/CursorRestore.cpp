#include "core/station/CursorRestore.h"
#include "core/station/Station.h"

namespace kestrova {

CursorRestore::CursorRestore(Station& station) : m_station(station), m_previous(station.ScreenCursorNumber) {}

CursorRestore::~CursorRestore() {
    m_station.SetScreenCursor(m_previous);
}

} // namespace kestrova
