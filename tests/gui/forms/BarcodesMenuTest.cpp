#include "gui/forms/TMainForm.h"
#include "platform/ini/SimpleIniSource.h"
#include "support/TempStation.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <gtest/gtest.h>

using namespace kestrova;

namespace {

QStringList Captions(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions()) out << a->text();
    return out;
}

QStringList Ticked(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions())
        if (a->isChecked()) out << a->text();
    return out;
}

} // namespace

TEST(BarcodesMenu, PicksAProfileAndLosesTheTickWhenItsFileIsRenamed) {
    test::TempStation s;
    const QString sample = QStringLiteral(KESTROVA_SHARED_SAMPLES "/Referral Code 39.stp");
    for (const char* name : {"Alpha.stp", "Beta.stp", "Gamma.stp"})
        ASSERT_TRUE(QFile::copy(sample, s.path(QString::fromLatin1(name))));
    ASSERT_TRUE(QFile::copy(sample, s.path("NotAProfile.STP")));
    SimpleIniSource source;
    TMainForm form(s.station);
    form.setProfileSource(&source);

    emit form.itmBarcodes->aboutToShow();
    QStringList captions = Captions(form.itmBarcodes);
    ASSERT_EQ(captions.size(), 4) << captions.join(", ").toStdString();
    EXPECT_EQ(captions.front(), "(default)");
    captions.removeFirst();
    captions.sort();
    EXPECT_EQ(captions, QStringList({"Alpha", "Beta", "Gamma"}));
    EXPECT_EQ(Ticked(form.itmBarcodes), QStringList({"(default)"}));

    QAction* beta = nullptr;
    for (QAction* a : form.itmBarcodes->actions())
        if (a->text() == "Beta") beta = a;
    ASSERT_NE(beta, nullptr);
    s.prompter.allowAnyMessage();
    beta->trigger();
    EXPECT_EQ(Ticked(form.itmBarcodes), QStringList({"Beta"}));
    EXPECT_NE(s.station.ui.lblBarcodeProfile, "System is using default barcode type");
    EXPECT_EQ(form.lblBarcodeProfile->text(), s.station.ui.lblBarcodeProfile);

    ASSERT_TRUE(QFile::rename(s.path("Beta.stp"), s.path("Beta renamed.stp")));
    emit form.itmBarcodes->aboutToShow();
    EXPECT_EQ(Captions(form.itmBarcodes).size(), 4);
    EXPECT_TRUE(Ticked(form.itmBarcodes).isEmpty()) << Ticked(form.itmBarcodes).join(", ").toStdString();

    form.Default1->trigger();
    EXPECT_EQ(Ticked(form.itmBarcodes), QStringList({"(default)"}));
    EXPECT_TRUE(s.station.ui.lblBarcodeProfile.startsWith("System is using default barcode type"));
}
