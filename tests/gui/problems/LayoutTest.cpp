// The station's windows (the main window's views, the administration window, the image viewer,
// the barcode list dialog and the message boxes that report a problem) at their default size, the
// smallest size they allow and beyond: no visible control lies over another or outside what shows
// of its parents, and no label, button caption or group title is cut.
#include "ProblemWindow.h"
#include "gui/Screenshot.h"

#include "core/scan/DecodeImages.h"
#include "gui/forms/TAdminForm.h"
#include "gui/forms/TBarcodeListDlg.h"
#include "gui/forms/TImgViewForm.h"
#include "gui/widgets/DocumentImageView.h"
#include "gui/widgets/WidgetPrompter.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStyleOption>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::guitest;

namespace {

bool IsControl(const QWidget* w) {
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QLabel*>(w) || qobject_cast<const QProgressBar*>(w) ||
           qobject_cast<const QAbstractScrollArea*>(w) || qobject_cast<const QLineEdit*>(w);
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

// A push button or check box smaller than its caption needs.
bool CaptionCut(const QWidget* w) {
    const auto* b = qobject_cast<const QAbstractButton*>(w);
    if (!b || qobject_cast<const QToolButton*>(w) || b->text().isEmpty()) return false;
    const QSize needed = b->sizeHint();
    return b->width() < needed.width() || b->height() < b->minimumSizeHint().height();
}

// A group box title that runs past the box's edge.
bool TitleCut(const QGroupBox* g) {
    if (g->title().isEmpty()) return false;
    QStyleOptionGroupBox option;
    option.initFrom(g);
    option.text = g->title();
    option.textAlignment = g->alignment();
    option.lineWidth = 1;
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect label = g->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, g);
    return !g->rect().contains(label);
}

QStringList Faults(QWidget* window) {
    QStringList faults;
    const QList<QWidget*> controls = Controls(window);
    for (QWidget* w : controls) {
        if (Shown(w, window) != OnWindow(w, window)) faults << Name(w) + " is cut by its parents";
        if (const auto* l = qobject_cast<const QLabel*>(w); l && LabelCut(l)) faults << Name(w) + " text is cut";
        if (CaptionCut(w))
            faults << QStringLiteral("%1 caption is cut (%2 x %3, needs %4 x %5)")
                          .arg(Name(w))
                          .arg(w->width())
                          .arg(w->height())
                          .arg(w->sizeHint().width())
                          .arg(w->minimumSizeHint().height());
    }
    for (const QGroupBox* g : window->findChildren<QGroupBox*>())
        if (g->isVisible() && TitleCut(g)) faults << Name(g) + " title \"" + g->title() + "\" is cut";
    for (qsizetype i = 0; i < controls.size(); ++i)
        for (qsizetype j = i + 1; j < controls.size(); ++j) {
            const QRect both = OnWindow(controls[i], window) & OnWindow(controls[j], window);
            if (both.width() > 1 && both.height() > 1) faults << Name(controls[i]) + " overlaps " + Name(controls[j]);
        }
    return faults;
}

// The main window over problem resolution with a problem page and a scanned batch, and the
// windows it opens.
struct LayoutRig {
    ProblemWindow w;
    TAdminForm admin{w.s.station};
    TImgViewForm viewer{w.s.station};
    WidgetPrompter prompter{w.form.get()};

    LayoutRig() {
        w.writeProblem(QStringLiteral("20261209101500"), {QStringLiteral("12345:67890:")});
        w.writeImageSet(2);
        w.s.station.ui.ScannerDocLabel = QStringLiteral("Scan Size   :29.70cm\nResolution  :100 dpi\nTotal Pages :2\n");
        w.s.station.ui.ServerGroupVisible = true; // every counter, "Awaiting Lab IS" too
        w.s.station.notify();
        viewer.setCodec(&w.codec);
    }
};

// Checks a window that is up at its default size, at the smallest size it allows and at sizes.
void CheckSizes(QWidget* window, const std::string& name, const std::vector<QSize>& sizes) {
    ASSERT_TRUE(window);
    QCoreApplication::processEvents();
    const QSize initial = window->size();
    window->setWindowState(Qt::WindowNoState);
    window->resize(1, 1);
    QCoreApplication::processEvents();
    const QSize smallest = window->size();
    std::vector<std::pair<QString, QSize>> checks = {{"default", initial}, {"smallest", smallest}};
    for (const QSize size : sizes) checks.push_back({QString(), size});
    for (const auto& [what, size] : checks) {
        SCOPED_TRACE(QStringLiteral("%1 %2 x %3 %4")
                         .arg(QString::fromStdString(name))
                         .arg(size.width())
                         .arg(size.height())
                         .arg(what)
                         .toStdString());
        window->resize(size);
        QCoreApplication::processEvents();
        EXPECT_EQ(window->size(), size);
        EXPECT_EQ(Faults(window).join('\n').toStdString(), "");
        if (size == QSize(1024, 768) && name.starts_with("main-")) Screenshot(*window, (name + ".png").c_str());
    }
}

// A message box of the station, checked while it waits for its answer.
void CheckMessageBox(WidgetPrompter& prompter, const std::string& name, const QString& caption, const QString& text) {
    bool checked = false;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        CheckSizes(box, name, {});
        checked = true;
        if (box) box->close();
    });
    prompter.message(caption, text, MessageIcon::Error, MessageButtons::Ok);
    EXPECT_TRUE(checked);
}

} // namespace

TEST(Layout, EveryWindowHoldsFromTheSmallestSizeUp) {
    LayoutRig rig;
    TMainForm& f = *rig.w.form;
    const std::vector<QSize> mainSizes = {QSize(640, 480), QSize(764, 663), QSize(1024, 768), QSize(1920, 1080)};
    struct Window {
        const char* name;
        std::function<void()> check; // brings the window up and checks it
    };
    auto mainView = [&](const char* name, const std::function<void()>& show) {
        return Window{name, [&f, &mainSizes, name, show] {
                          f.showNormal();
                          f.ShowStatusView();
                          show();
                          CheckSizes(&f, name, mainSizes);
                          f.resize(1000, 700);
                      }};
    };
    const Window windows[] = {
        mainView("main-status", [&] { f.ShowStatusView(); }),
        mainView("main-problem", [&] { f.FixProbsButton->click(); }),
        mainView("main-review", [&] { f.ReviewLastBatch1->trigger(); }),
        {"admin",
         [&] {
             rig.admin.ImageList->addItems({"12345~REQS1A.tif", "12345~REQS1B.tif", "67890~HISTS1A.tif"});
             rig.admin.show();
             CheckSizes(&rig.admin, "admin", {QSize(1024, 768), QSize(1920, 1080)});
             rig.admin.hide();
         }},
        {"image viewer",
         [&] {
             rig.viewer.show();
             ASSERT_TRUE(rig.viewer.LoadViewImage(rig.w.s.path("problems/20261209101500.tif")));
             CheckSizes(&rig.viewer, "image viewer", {QSize(1024, 768)});
             rig.viewer.hide();
         }},
        {"barcode list",
         [&] {
             TBarcodeListDlg* dialog = f.barcodeListDlg();
             dialog->setEditedBarcodes({"12345", "67890", "!AB1"});
             dialog->show();
             CheckSizes(dialog, "barcode list", {QSize(640, 480)});
             dialog->hide();
         }},
        {"problem message",
         [&] {
             CheckMessageBox(rig.prompter, "problem message", "Add Barcode - Error",
                             "Barcode number or Label too short.");
         }},
        {"setup message",
         [&] {
             CheckMessageBox(rig.prompter, "setup message", "Invalid Setup File",
                             "A Critical Directory has not been set up correctly.\nRe-run the Kestrova "
                             "configuration program.\r\nKestrovaNT will Terminate.");
         }},
    };
    for (const Window& window : windows) {
        SCOPED_TRACE(window.name);
        window.check();
    }
}
