#pragma once

#include <QMainWindow>

namespace kestrova {

class Station;

// The supervisor's window: queries, record maintenance, archive and media.
class TAdminForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TAdminForm(Station& station, QWidget* parent = nullptr);

protected:
    Station& m_station;
};

} // namespace kestrova
