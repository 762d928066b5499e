#pragma once

#include <QMainWindow>

namespace kestrova {

class Station;

// Shows one stored image.
class TImgViewForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TImgViewForm(Station& station, QWidget* parent = nullptr);

protected:
    Station& m_station;
};

} // namespace kestrova
