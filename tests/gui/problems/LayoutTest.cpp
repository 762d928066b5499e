// The main window's views at the smallest size it allows and beyond: no visible control lies over
// another or outside what shows of its parents, and no label is cut.
#include "ProblemWindow.h"
#include "gui/Screenshot.h"

#include "core/scan/DecodeImages.h"
#include "gui/widgets/DocumentImageView.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTextDocument>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::guitest;

namespace {

bool IsControl(const QWidget* w) {
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QLabel*>(w) || qobject_cast<const QProgressBar*>(w) ||
           qobject_cast<const QAbstractScrollArea*>(w);
}

QString Name(const QWidget* w) {
    const QString name =
        w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
    if (const auto* b = qobject_cast<const QAbstractButton*>(w)) return name + "(" + b->text() + ")";
    return name;
}

// The visible controls, without the parts of another control (a combo box's edit, a view's picture).
QList<QWidget*> Controls(QWidget* window) {
    QList<QWidget*> controls;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible() || !IsControl(w) || w->width() <= 0 || w->height() <= 0) continue;
        bool inner = false;
        for (QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
            if (IsControl(p)) inner = true;
        if (!inner) controls << w;
    }
    return controls;
}

QRect OnWindow(const QWidget* w, const QWidget* window) {
    return QRect(w->mapTo(window, QPoint(0, 0)), w->size());
}

// What of a control the window shows: cut by every parent.
QRect Shown(const QWidget* w, const QWidget* window) {
    QRect shown = OnWindow(w, window);
    for (const QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget()) shown &= OnWindow(p, window);
    return shown & window->rect();
}

bool LabelCut(const QLabel* label) {
    const QString text = label->text();
    if (text.isEmpty() || label->textFormat() == Qt::RichText || Qt::mightBeRichText(text)) return false;
    const QRect room = label->contentsRect();
    if (label->wordWrap()) return label->heightForWidth(room.width()) > room.height() + 1;
    const QStringList lines = text.split('\n');
    int widest = 0;
    for (const QString& line : lines) widest = std::max(widest, label->fontMetrics().horizontalAdvance(line));
    return widest > room.width() + 1 || int(lines.size()) * label->fontMetrics().height() > room.height() + 1;
}

QStringList Faults(QWidget* window) {
    QStringList faults;
    const QList<QWidget*> controls = Controls(window);
    for (QWidget* w : controls) {
        if (Shown(w, window) != OnWindow(w, window)) faults << Name(w) + " is cut by its parents";
        if (const auto* l = qobject_cast<const QLabel*>(w); l && LabelCut(l)) faults << Name(w) + " text is cut";
    }
    for (qsizetype i = 0; i < controls.size(); ++i)
        for (qsizetype j = i + 1; j < controls.size(); ++j) {
            const QRect both = OnWindow(controls[i], window) & OnWindow(controls[j], window);
            if (both.width() > 1 && both.height() > 1) faults << Name(controls[i]) + " overlaps " + Name(controls[j]);
        }
    return faults;
}

} // namespace

TEST(Layout, EveryViewHoldsFromTheSmallestSizeUp) {
    ProblemWindow w;
    w.writeProblem(QStringLiteral("20261209101500"), {QStringLiteral("12345:67890:")});
    w.writeImageSet(2);
    TMainForm& f = *w.form;
    w.s.station.ui.ScannerDocLabel = QStringLiteral("Scan Size   :29.70cm\nResolution  :100 dpi\nTotal Pages :2\n");
    struct View {
        const char* name;
        std::function<void()> show;
    };
    const View views[] = {
        {"status", [&] { f.ShowStatusView(); }},
        {"problem", [&] { f.FixProbsButton->click(); }},
        {"review", [&] { f.ReviewLastBatch1->trigger(); }},
    };
    for (const QSize size : {QSize(640, 480), QSize(764, 663), QSize(1024, 768), QSize(1920, 1080)}) {
        for (const View& view : views) {
            SCOPED_TRACE(
                QStringLiteral("%1 x %2, %3 view").arg(size.width()).arg(size.height()).arg(view.name).toStdString());
            f.ShowStatusView();
            view.show();
            f.resize(size);
            QCoreApplication::processEvents();
            EXPECT_EQ(f.size(), size);
            EXPECT_EQ(Faults(&f).join('\n').toStdString(), "");
            if (size == QSize(1024, 768)) Screenshot(f, (std::string("main-") + view.name + ".png").c_str());
        }
    }
}
