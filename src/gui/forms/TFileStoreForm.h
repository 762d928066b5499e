#pragma once

#include <QWidget>

namespace kestrova {

class Station;

// The hidden store window; its timer runs the convert and backup passes.
class TFileStoreForm : public QWidget {
    Q_OBJECT
public:
    explicit TFileStoreForm(Station& station, QWidget* parent = nullptr);

protected:
    Station& m_station;
};

} // namespace kestrova
