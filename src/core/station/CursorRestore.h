#pragma once

namespace kestrova {

class Station;

// Puts the station's previous screen cursor back however a pass ends.
class CursorRestore {
public:
    explicit CursorRestore(Station& station);
    ~CursorRestore();
    CursorRestore(const CursorRestore&) = delete;
    CursorRestore& operator=(const CursorRestore&) = delete;

private:
    Station& m_station;
    int m_previous;
};

} // namespace kestrova
