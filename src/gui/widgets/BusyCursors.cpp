#include "gui/widgets/BusyCursors.h"

#include "core/station/ScreenCursors.h"

#include <QPainter>

namespace kestrova {

namespace {

constexpr int Size = 32;

void drawBarcode(QPainter& p, bool frameA) {
    // Bars of a symbol with a reading beam that moves between the two frames.
    p.fillRect(3, 6, 26, 18, Qt::white);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    const int widths[] = {1, 2, 1, 1, 3, 1, 2, 1, 1, 2};
    int x = 5;
    for (int w : widths) {
        p.drawRect(x, 8, w, 14);
        x += w + 1;
    }
    p.setPen(QPen(Qt::red, 2));
    const int y = frameA ? 11 : 19;
    p.drawLine(2, y, 29, y);
}

void drawDisc(QPainter& p, bool frameA) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(200, 200, 220));
    p.drawEllipse(3, 3, 26, 26);
    p.setBrush(Qt::white);
    p.drawEllipse(13, 13, 6, 6);
    p.setPen(QPen(Qt::darkBlue, 2));
    if (frameA)
        p.drawLine(16, 4, 16, 11);
    else
        p.drawLine(21, 16, 28, 16);
}

void drawFileStore(QPainter& p, bool frameA) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(240, 220, 130));
    p.drawRect(2, 12, 22, 16); // folder
    p.setBrush(Qt::white);
    const int x = frameA ? 6 : 14;
    p.drawRect(x, 3, 12, 15); // page going in
    p.drawLine(x + 3, 7, x + 9, 7);
    p.drawLine(x + 3, 10, x + 9, 10);
}

void drawRemoteServer(QPainter& p, bool frameA) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(180, 180, 180));
    p.drawRect(8, 2, 16, 27);
    p.setBrush(frameA ? Qt::green : Qt::darkGreen);
    p.drawEllipse(12, 6, 4, 4);
    p.setBrush(frameA ? Qt::darkGreen : Qt::green);
    p.drawEllipse(12, 13, 4, 4);
}

void drawMagnifier(QPainter& p) {
    p.setPen(QPen(Qt::black, 3));
    p.setBrush(QColor(220, 240, 255, 160));
    p.drawEllipse(3, 3, 17, 17);
    p.drawLine(18, 18, 29, 29);
}

} // namespace

std::optional<QPixmap> BusyCursors::loadCursorImage(const QString& name) {
    QPixmap pm(Size, Size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QString n = name.toUpper();
    if (n == QLatin1String("BCODEA") || n == QLatin1String("BCODEB"))
        drawBarcode(p, n.endsWith(QLatin1Char('A')));
    else if (n == QLatin1String("CDROMA") || n == QLatin1String("CDROMB"))
        drawDisc(p, n.endsWith(QLatin1Char('A')));
    else if (n == QLatin1String("FILESTA") || n == QLatin1String("FILESTB"))
        drawFileStore(p, n.endsWith(QLatin1Char('A')));
    else if (n == QLatin1String("REMSRVA") || n == QLatin1String("REMSRVB"))
        drawRemoteServer(p, n.endsWith(QLatin1Char('A')));
    else if (n == QLatin1String("MAGGLASS"))
        drawMagnifier(p);
    else
        return std::nullopt;
    return pm;
}

bool BusyCursors::registerCursor(int number, const QString& name) {
    const auto image = loadCursorImage(name);
    if (!image) return false;
    const bool magnifier = name.compare(QLatin1String("MAGGLASS"), Qt::CaseInsensitive) == 0;
    m_cursors.insert(number, QCursor(*image, magnifier ? 11 : Size / 2, magnifier ? 11 : Size / 2));
    return true;
}

void BusyCursors::registerStationCursors() {
    registerCursor(crBCodeB, QStringLiteral("BCODEB"));
    registerCursor(crBCodeA, QStringLiteral("BCODEA"));
    registerCursor(crCDRomA, QStringLiteral("CDROMA"));
    registerCursor(crCDRomB, QStringLiteral("CDROMB"));
    registerCursor(crFileStA, QStringLiteral("FILESTA"));
    registerCursor(crFileStB, QStringLiteral("FILESTB"));
    registerCursor(crRemSrvA, QStringLiteral("REMSRVA"));
    registerCursor(crRemSrvB, QStringLiteral("REMSRVB"));
    registerCursor(crMagGlass, QStringLiteral("MAGGLASS"));
}

QCursor BusyCursors::cursor(int number) const {
    return m_cursors.value(number, QCursor(Qt::ArrowCursor));
}

} // namespace kestrova
