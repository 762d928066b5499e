#include "gui/forms/TAdminForm.h"

#include "core/admin/ConsoleSession.h"
#include "core/admin/ImageMaintenance.h"
#include "core/admin/QueryConsole.h"
#include "core/db/TImageDataModule.h"
#include "core/store/ZipMedia.h"
#include "gui/Screenshot.h"
#include "gui/forms/TImgViewForm.h"
#include "platform/leptonica/LeptonicaImageCodec.h"
#include "platform/openssl/OpenSslSmime.h"
#include "platform/zip/LibzipArchive.h"
#include "support/FakeVolumes.h"
#include "support/TempStation.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::test;

namespace {

// A station with its own SQLite image database, directories, a store mask of two asterisks and
// two document definitions, and the administration window over it.
struct AdminRig {
    TempStation ts;
    std::unique_ptr<TImageDataModule> db;
    LibzipFactory zips;
    QWidget mainForm;
    std::unique_ptr<TImgViewForm> viewer;
    std::unique_ptr<TAdminForm> form;

    AdminRig() {
        const QString file = ts.path("images.db");
        EXPECT_TRUE(QFile::copy(QStringLiteral(KESTROVA_BIN_DIR "/ImageDatabase/KestrovaImageDataBlank.mdb"), file));
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        db = std::make_unique<TImageDataModule>(ts.station, file);
        ts.station.DataModule = db.get();
        StationSetup& setup = ts.station.editSetup();
        const char* dirs[] = {"", "scan", "problems", "decoded", "remote", "store", "local", "backup"};
        for (int slot = 1; slot <= 7; ++slot) {
            setup.SetupInfo.Directories[slot] = ts.path(QString::fromLatin1(dirs[slot])) + QLatin1Char('/');
            QDir().mkpath(setup.SetupInfo.Directories[slot]);
        }
        QDir().mkpath(ts.path("local/ZipFiles"));
        setup.StoreMask = QStringLiteral("**");
        setup.SetupInfo.StationMode = ModeSingle;
        setup.SetupInfo.DocDefs = {{"Request", "~REQ", 2750, 0, {}}, {"Short", "~SHT", 1400, 0, {}}};
        viewer = std::make_unique<TImgViewForm>(ts.station);
        form = std::make_unique<TAdminForm>(ts.station);
        form->setMainForm(&mainForm);
        form->setViewer(viewer.get());
        form->setZipFactory(&zips);
    }

    void exec(const QString& sql) {
        db->AdminQuery.close();
        db->AdminQuery.setSQL(sql);
        EXPECT_TRUE(db->AdminQuery.execSQL()) << sql.toStdString() << db->AdminQuery.errorText().toStdString();
    }
    QString scalar(const QString& sql) {
        db->AdminQuery.close();
        db->AdminQuery.setSQL(sql);
        EXPECT_TRUE(db->AdminQuery.open()) << db->AdminQuery.errorText().toStdString();
        const QString v = db->AdminQuery.isEmpty() ? QString() : db->AdminQuery.field(0).asString();
        db->AdminQuery.close();
        return v;
    }
    void row(int seq, const QString& req, const QString& doc, const QString& extra = {}, const QString& values = {}) {
        exec(QStringLiteral("insert into ImageData (SeqNumber, ReqID, DocDefn, ScanTime, ViewTime, SentToSystem%1) "
                            "values (%2, \"%3\", \"%4\", [2004-05-06 10:00], [2004-05-06 10:01], False%5)")
                 .arg(extra.isEmpty() ? QString() : ", " + extra)
                 .arg(seq)
                 .arg(req, doc, values.isEmpty() ? QString() : ", " + values));
    }
    void image(const QString& path, int height = 2794, int dpi = 254) {
        QDir().mkpath(QFileInfo(path).path());
        QImage img(1700, height, QImage::Format_Mono);
        img.fill(1);
        img.setDotsPerMeterX(qRound(dpi / 0.0254));
        img.setDotsPerMeterY(qRound(dpi / 0.0254));
        ASSERT_TRUE(img.save(path, "TIFF"));
    }
    QString log() const { return ts.station.eventLog().lines().join('\n'); }
};

using guitest::Screenshot;

void KeyClick(QWidget* widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
}

QStringList Items(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

} // namespace

TEST(TAdminForm, LaysOutTheThreeAreasWithTheirCaptionsAndInitialStates) {
    AdminRig rig;
    TAdminForm& f = *rig.form;
    EXPECT_EQ(f.windowTitle(), "Kestrova Adminstration Tasks");
    EXPECT_EQ(f.ImageManip->title(), "Image File Manipulation");
    EXPECT_EQ(f.SQLGroup->title(), "DataBase Query (in SQL)");
    EXPECT_EQ(f.TaskGroup->title(), "Administrative Tasks");
    EXPECT_EQ(f.Button3->text(), "&Search");
    EXPECT_EQ(f.Button2->text(), "Clear List");
    EXPECT_FALSE(f.Button1->isEnabled());
    EXPECT_EQ(f.QueryCombo->count(), 12);
    EXPECT_EQ(f.QueryCombo->currentIndex(), 1);
    EXPECT_EQ(f.ParamCombo->currentIndex(), 0);
    EXPECT_FALSE(f.ParamCombo->isEnabled());
    EXPECT_FALSE(f.DateTimeEdit->isEnabled());
    EXPECT_EQ(f.DateTimeEdit->toolTip(), "YYYY-MM-DD HH:NN");
    EXPECT_EQ(f.DateTimeEdit->text(), rig.ts.clock.now().toString("yyyy-MM-dd hh:mm"));
    EXPECT_FALSE(f.OpenSQL->isEnabled());
    EXPECT_EQ(f.sqlquerymemo->toPlainText(), InitialEditorLines().join('\n'));
    EXPECT_TRUE(f.ImageInfoMemo->isHidden());
    EXPECT_EQ(f.Finalisemedia->text(), "&Finalise Media");
    EXPECT_EQ(f.Finalisemedia->statusTip(), "Writes out CD Summary and Calls Verify Media");
    EXPECT_EQ(f.FlushZipBtn->text(), "&Flush Media Files");
    EXPECT_EQ(f.ArchiveDatabase->statusTip(), f.FlushZipBtn->statusTip());
    EXPECT_TRUE(f.ProgressGroup->isHidden());
    EXPECT_EQ(f.ExitFmAdmin->text(), "Exit");
}

TEST(TAdminForm, TheThreeTaskButtons) {
    AdminRig rig;
    TAdminForm& f = *rig.form;
    ScriptedPrompter& p = rig.ts.prompter;
    const LeptonicaImageCodec codec;
    const OpenSslSmime verifier{QString()};
    FakeVolumes volumes; // the backup directory lies on an unlabelled drive
    f.setMediaServices(&codec, &volumes, &verifier);
    p.expectMessage("Finalise Media");
    f.Finalisemedia->click();
    EXPECT_TRUE(p.allAnswered());
    EXPECT_EQ(p.shown().back().text, "No Media is loaded.");
    EXPECT_EQ(f.Finalisemedia->text(), "&Finalise Media");
    EXPECT_TRUE(f.Finalisemedia->isEnabled());

    // A waiting zip file goes onto the medium and its row takes the medium's label.
    QString error;
    auto zip = rig.zips.open(rig.ts.path("local/ZipFiles/12~09-11-17 143015 123.zip"), error);
    ASSERT_TRUE(zip && zip->add("12345~REQ.tif", "image", QDateTime()) && zip->commit());
    zip.reset();
    rig.row(1, "12345", "REQ", "ZipName", "\"12~09-11-17 143015 123\"");
    rig.ts.station.task().setMediaLabel("CD7");
    f.FlushZipBtn->click();
    EXPECT_TRUE(QFile::exists(rig.ts.path("backup/12/12~09-11-17 143015 123.zip")));
    EXPECT_EQ(rig.scalar("select CDLabel from ImageData"), "CD7");

    p.expectMessage("Archive Database");
    f.ArchiveDatabase->click();
    EXPECT_TRUE(p.allAnswered());
    EXPECT_EQ(p.shown().back().text, "Nothing to Archive!");
}

TEST(TAdminForm, TheConsoleAsTheSupervisorDrivesIt) {
    AdminRig rig;
    TAdminForm& f = *rig.form;
    ScriptedPrompter& p = rig.ts.prompter;
    rig.row(1, "12345", "REQ", "ImageInfo", "\"fine page\"");
    rig.exec("insert into ImageArchive (SeqNumber, ReqID, DocDefn, ScanTime, ViewTime, SentToSystem, ImageInfo, "
             "CDLabel, ZipName) select SeqNumber, ReqID, DocDefn, ScanTime, ViewTime, "
             "SentToSystem, ImageInfo, CDLabel, ZipName from ImageData");

    // Canned: read-only editor, parameters and date disabled; two prompts; the memo shows ImageInfo.
    f.QueryComboChange(4);
    EXPECT_TRUE(f.OpenSQL->isEnabled());
    EXPECT_TRUE(f.sqlquerymemo->isReadOnly());
    EXPECT_FALSE(f.ParamCombo->isEnabled());
    p.expectInput(ConsoleParameterCaption, QStringLiteral("ImageArchive"));
    p.expectInput(ConsoleParameterCaption, QStringLiteral("12345"));
    f.OpenSQL->click();
    EXPECT_EQ(f.sqlquerymemo->toPlainText(), "select * \nfrom ImageArchive \nwhere ReqID = \"12345\" ");
    EXPECT_EQ(f.ImageDBGrid->model()->rowCount(), 1);
    EXPECT_FALSE(f.ImageInfoMemo->isHidden());
    EXPECT_EQ(f.ImageInfoMemo->toPlainText(), "fine page");

    // Custom: everything enabled, the editor keeps its text.
    f.QueryComboChange(0);
    EXPECT_FALSE(f.sqlquerymemo->isReadOnly());
    EXPECT_TRUE(f.ParamCombo->isEnabled() && f.DateTimeEdit->isEnabled());
    f.sqlquerymemo->setPlainText("select ");
    f.sqlquerymemo->moveCursor(QTextCursor::End);
    f.ParamComboChange(11);
    EXPECT_EQ(f.sqlquerymemo->toPlainText(), "select Verified");
    f.ParamComboChange(13);
    EXPECT_EQ(f.ParamCombo->currentText(), "ImageData");
    EXPECT_EQ(f.sqlquerymemo->toPlainText(), "select Verified");

    // The date field inserts normalised literals at the caret; an unreadable text without "-"
    // gets the format hint, one with "-" nothing.
    f.sqlquerymemo->setPlainText("select * from ImageData where ScanTime > ");
    f.sqlquerymemo->moveCursor(QTextCursor::End);
    f.DateTimeEdit->setText("2004-05-06");
    KeyClick(f.DateTimeEdit, Qt::Key_Return);
    EXPECT_EQ(f.sqlquerymemo->toPlainText(), "select * from ImageData where ScanTime > [2004-05-06 00:00:00]");
    EXPECT_EQ(f.DateTimeEdit->text(), "2004-05-06");
    f.DateTimeEdit->setText("10:30 2004-05-06");
    KeyClick(f.DateTimeEdit, Qt::Key_Enter);
    EXPECT_TRUE(f.sqlquerymemo->toPlainText().endsWith("[2004-05-06 10:30:00]"));
    f.DateTimeEdit->setText("2004-13-40");
    KeyClick(f.DateTimeEdit, Qt::Key_Return);
    f.DateTimeEdit->setText("soon");
    p.expectMessage(QString());
    KeyClick(f.DateTimeEdit, Qt::Key_Return);
    EXPECT_TRUE(p.shown().back().text.startsWith("Try ")) << p.shown().back().text.toStdString();

    // Update reports its count; drop sends nothing; the invalid date is named.
    f.sqlquerymemo->setPlainText("\n  \nupdate ImageData set CDLabel = \"CD9\" where SeqNumber = 1");
    p.expectMessage(ExecuteCaption);
    f.OpenSQL->click();
    EXPECT_EQ(p.shown().back().text, "Successful Update: 1 entries updated.");
    f.sqlquerymemo->setPlainText("Drop table ImageArchive");
    f.OpenSQL->click();
    f.sqlquerymemo->setPlainText("select * from ImageData where ScanTime > [2004-13-40]");
    p.expectMessage(InvalidDateCaption);
    f.OpenSQL->click();
    EXPECT_EQ(p.shown().back().text, "Date 2004-13-40 is invalid.");
    EXPECT_EQ(rig.scalar("select count(*) from ImageArchive"), "1");

    // No ImageInfo column: the memo stays hidden.
    f.QueryComboChange(5);
    p.expectInput(ConsoleParameterCaption, std::nullopt);
    f.OpenSQL->click();
    EXPECT_TRUE(f.ImageInfoMemo->isHidden());
    EXPECT_EQ(f.ImageDBGrid->model()->data(f.ImageDBGrid->model()->index(0, 0)).toString(), "CD9");
    EXPECT_TRUE(p.allAnswered());

    f.QueryComboChange(1);
    f.OpenSQL->click();
    f.ReqIDEdit->setText("12345");
    f.ImageList->addItems({"12345~REQ.tif", "12345~SHT.tif"});
    f.resize(1200, 800);
    f.show();
    Screenshot(f, "admin-window.png");
}

TEST(TAdminForm, TheGridReadsALargeResultAsItScrollsAndTheWindowKeepsItsState) {
    AdminRig rig;
    TAdminForm& f = *rig.form;
    rig.row(1, "R", "REQ");
    for (int i = 0; i < 14; ++i) // 16384 rows
        rig.exec("insert into ImageData (SeqNumber, ReqID, DocDefn, ScanTime, ViewTime, SentToSystem) select "
                 "SeqNumber + (select max(SeqNumber) from ImageData), ReqID, DocDefn, ScanTime, ViewTime, "
                 "SentToSystem from ImageData");
    rig.mainForm.hide();
    f.show();
    f.QueryComboChange(1);
    f.OpenSQL->click();
    QAbstractItemModel* m = f.ImageDBGrid->model();
    EXPECT_LT(m->rowCount(), 16384);
    f.ImageDBGrid->scrollToBottom();
    QCoreApplication::processEvents();
    const int afterScroll = m->rowCount();
    EXPECT_GT(afterScroll, ConsoleResultModel::FirstBatch);

    // Exit: the store timer runs again and the main window comes back; the window's state stays.
    rig.ts.station.task().setStoreFileTimerEnabled(false);
    f.ExitFmAdmin->trigger();
    EXPECT_TRUE(rig.ts.station.task().StoreFileTimerEnabled());
    EXPECT_TRUE(rig.mainForm.isVisible());
    EXPECT_FALSE(f.isVisible());
    f.show();
    EXPECT_EQ(m->rowCount(), afterScroll);
    EXPECT_EQ(f.sqlquerymemo->toPlainText(), "Select * \nfrom ImageData ");
    rig.ts.station.task().setStoreFileTimerEnabled(false);
    f.close();
    EXPECT_TRUE(rig.ts.station.task().StoreFileTimerEnabled());
}

TEST(TAdminForm, SearchDeleteViewAndDuplicateStoredImages) {
    AdminRig rig;
    TAdminForm& f = *rig.form;
    ScriptedPrompter& p = rig.ts.prompter;
    Station& st = rig.ts.station;
    // 12345~REQ and 12345~SHT were backed up into one zip file that went to the media.
    for (const char* name : {"12345~REQ.tif", "12345~SHT.tif", "12399~REQ.tif"}) {
        rig.image(rig.ts.path("store/12/") + name);
        QFile::copy(rig.ts.path("store/12/") + name, rig.ts.path("local/") + name);
        QDir().mkpath(rig.ts.path("backup/12"));
        QFile::copy(rig.ts.path("store/12/") + name, rig.ts.path("backup/12/") + name);
    }
    ZipMedia media(st, rig.zips);
    const QString zip = rig.ts.path("local/ZipFiles/12~04-05-06 100000 000.zip");
    ASSERT_EQ(media.AddToZip(zip, rig.ts.path("local/12345~REQ.tif") + "\n" + rig.ts.path("local/12345~SHT.tif")), 2);
    ASSERT_EQ(media.ZipAddAndCommit(zip, QString(), rig.ts.path("backup/12/"), nullptr, true), 0);
    rig.row(1, "12345", "REQ", "ZipName, CDLabel, CDWriteTime", "\"12~04-05-06 100000 000\", \"DISC1\", [2004-05-07]");
    rig.row(2, "12345", "SHT", "ZipName, CDLabel, CDWriteTime", "\"12~04-05-06 100000 000\", \"DISC1\", [2004-05-07]");
    rig.row(3, "12399", "REQ");
    rig.exec("insert into ImageArchive (SeqNumber, ReqID, DocDefn, ScanTime, ViewTime, SentToSystem, ImageInfo, "
             "CDLabel, ZipName) select SeqNumber, ReqID, DocDefn, ScanTime, ViewTime, "
             "SentToSystem, ImageInfo, CDLabel, ZipName from ImageData where SeqNumber = 1");

    // Search by prefix; two searches accumulate.
    f.ReqIDEdit->setText("12345");
    KeyClick(f.ReqIDEdit, Qt::Key_Return);
    EXPECT_EQ(Items(f.ImageList), (QStringList{"12345~REQ.tif", "12345~SHT.tif"}));
    EXPECT_TRUE(rig.log().contains("Searching for \"" + rig.ts.path("store/12/12345*.*") + "\""));
    f.Button3->click();
    EXPECT_EQ(f.ImageList->count(), 4);
    f.Button2->click();
    EXPECT_EQ(f.ImageList->count(), 0);
    f.ManipPopUpPopup();
    EXPECT_FALSE(f.ManipDeleteFiles->isEnabled());
    EXPECT_FALSE(f.ManipDeleteList->isEnabled());
    f.Button3->click();
    f.ManipPopUpPopup();
    EXPECT_FALSE(f.ManipDeleteFiles->isEnabled());
    EXPECT_TRUE(f.ManipDeleteList->isEnabled());
    EXPECT_FALSE(f.Print1->menuAction()->isVisible());

    // Pending images: nothing is deleted; a cancelled question neither.
    f.ImageList->item(0)->setSelected(true);
    f.ManipPopUpPopup();
    EXPECT_TRUE(f.ManipDeleteFiles->isEnabled());
    st.ui.CDGroupLabel = QStringLiteral("3");
    p.expectMessage(PendingFilesCaption);
    f.ManipDeleteFilesClick();
    st.ui.CDGroupLabel = QStringLiteral("0");
    p.expectMessage(DeleteSelectedCaption, MessageResult::Cancel);
    f.ManipDeleteFilesClick();
    EXPECT_TRUE(QFile::exists(rig.ts.path("store/12/12345~REQ.tif")));

    // Delete the selected entry: three files, two zip members, rows marked in both tables.
    p.expectMessage(DeleteSelectedCaption);
    f.ManipDeleteFilesClick();
    for (const char* gone : {"store/12/12345~REQ.tif", "local/12345~REQ.tif", "backup/12/12345~REQ.tif"})
        EXPECT_FALSE(QFile::exists(rig.ts.path(gone))) << gone;
    EXPECT_EQ(Items(f.ImageList), (QStringList{"12345~SHT.tif"}));
    const QString mediaZip = rig.ts.path("backup/12/12~04-05-06 100000 000.zip");
    QString error;
    const auto archive = rig.zips.open(mediaZip, error);
    ASSERT_TRUE(archive) << error.toStdString();
    EXPECT_EQ(archive->entryNames(), QStringList{"12345~SHT.tif"});
    EXPECT_FALSE(QFile::exists(zip));
    EXPECT_EQ(rig.scalar("select CDLabel from ImageData where SeqNumber = 1"), "Deleted");
    EXPECT_EQ(rig.scalar("select SentToSystem from ImageData where SeqNumber = 1"), "True");
    EXPECT_EQ(rig.scalar("select CDLabel from ImageArchive where SeqNumber = 1"), "Deleted");
    EXPECT_EQ(rig.scalar("select count(*) from ImageData"), "3");
    EXPECT_EQ(media.VerifyZipFile(mediaZip), 0);

    // View: the local copy, else the store's, else the not-available message.
    f.ImageList->clear();
    f.ReqIDEdit->setText("12399");
    f.Button3->click();
    f.ImageList->item(0)->setSelected(true);
    QFile::remove(rig.ts.path("local/12399~REQ.tif"));
    f.View1Click();
    EXPECT_TRUE(rig.viewer->isVisible());
    EXPECT_EQ(rig.viewer->windowTitle(), "Kestrova Image 12399~REQ.tif");
    EXPECT_EQ(rig.viewer->ViewedImageInfo().Filename, rig.ts.path("store/12/12399~REQ.tif"));
    EXPECT_TRUE(rig.viewer->DuplicatewithNewID1->isEnabled());
    Screenshot(*rig.viewer, "image-viewer.png");

    // Duplicate: 2794 rows at 254 dpi measure 2754, nearest to REQ (2750).
    TilxInfo info = rig.viewer->ViewedImageInfo();
    info.YResolution = 254;
    info.Height = 2794;
    p.expectMessage(DuplicateCaption);
    f.DuplicateImage("77777", info);
    EXPECT_EQ(p.shown().back().text, "OK Image Duplicated");
    const QStringList decoded = QDir(rig.ts.path("decoded")).entryList(QDir::Files);
    ASSERT_EQ(decoded.size(), 1);
    EXPECT_TRUE(decoded[0].startsWith("77777~REQ")) << decoded[0].toStdString();
    p.expectMessage(DuplicateCaption);
    f.DuplicateImage("../x", info);
    EXPECT_EQ(p.shown().back().text, "Duplication Failed");

    QFile::remove(rig.ts.path("store/12/12399~REQ.tif"));
    p.expectMessage(ViewErrorCaption);
    f.View1Click();
    EXPECT_EQ(p.shown().back().text, ViewErrorText);

    // The whole list goes and the list is left empty.
    f.ImageList->clear();
    f.ReqIDEdit->setText("12345");
    f.Button3->click();
    p.expectMessage(DeleteAllCaption);
    f.ManipDeleteListClick();
    EXPECT_EQ(f.ImageList->count(), 0);
    EXPECT_EQ(rig.scalar("select CDLabel from ImageData where SeqNumber = 2"), "Deleted");
    EXPECT_FALSE(QFile::exists(mediaZip)); // its last entry went
    EXPECT_TRUE(p.allAnswered());
}
