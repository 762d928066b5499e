#include "core/admin/FinaliseMedia.h"

#include "core/admin/MediaTasks.h"
#include "core/config/SetupInfo.h"
#include "core/db/TImageDataModule.h"
#include "core/ports/PageImage.h"
#include "core/ports/Volumes.h"
#include "core/station/ScreenCursors.h"
#include "core/station/Station.h"
#include "core/store/BackupFiles.h"
#include "core/store/SignBackup.h"
#include "core/store/SignedMessage.h"
#include "core/store/ZipMedia.h"
#include "core/store/ZipNames.h"
#include "core/util/DateTime.h"
#include "core/util/FileUtil.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QThread>
#include <cmath>

namespace kestrova {

namespace {

// The verify utility lives in the program directory of a station run from its build or install
// directory; an installed package keeps it beside the programs instead.
QString VerifyUtilityPath(const QString& programDir) {
    const QString inProgramDir = programDir + FinaliseMedia::VerifyUtility;
    if (QFileInfo(inProgramDir).isExecutable()) return inProgramDir;
    const QString besideProgram =
        QCoreApplication::applicationDirPath() + QLatin1Char('/') + FinaliseMedia::VerifyUtility;
    return QFileInfo(besideProgram).isExecutable() ? besideProgram : inProgramDir;
}

} // namespace

namespace {

const QString CreateSummaryCaption = QStringLiteral("Verify Media - Create Summary File");
const QString WriteSummaryCaption = QStringLiteral("Verify Media - Write Summary File");
const QString LineBreak = QStringLiteral("\n");

QString DateField(const DataField& field) {
    return FromTDateTime(field.asDateTime()).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

} // namespace

int FinaliseMedia::SampleIntervalFor(int mediaCount, int percent) {
    return static_cast<int>(std::trunc(mediaCount / (mediaCount * percent / 100.0)));
}

int FinaliseMedia::PercentOf(const QString& answer) {
    bool ok = false;
    const int value = answer.section(QLatin1Char('.'), 0, 0).trimmed().toInt(&ok);
    return ok ? value : 5;
}

QString FinaliseMedia::ElapsedText(double e) {
    // The hours are taken off the minutes only when they are shown: an hour exactly reads 60 mins.
    const qint64 h = e > 3601 ? static_cast<qint64>(e / 3600) : 0;
    const qint64 m = static_cast<qint64>(e / 60);
    QString text;
    if (e > 3601) text += QString::number(h) + QStringLiteral(" hrs, ");
    if (e > 60) text += QString::number(m - 60 * h) + QStringLiteral(" mins, ");
    return text + QString::number(static_cast<qint64>(e) - 60 * m) + QStringLiteral(" secs.");
}

QString FinaliseMedia::ProgressText(int counted, int total, double seconds) {
    const double r = seconds / counted * (total - counted);
    const qint64 h = r > 3601 ? static_cast<qint64>(r / 3600) : 0;
    const qint64 m = static_cast<qint64>(r / 60);
    QString estimate;
    if (r > 3601) estimate += QString::number(h) + QStringLiteral(" hrs, ");
    if (r > 60) estimate += QString::number(m - 60 * h) + QStringLiteral(" mins ");
    if (static_cast<qint64>(static_cast<double>(counted) / total * 100) > 20)
        estimate += QString::number(static_cast<qint64>(r) - 60 * m) + QStringLiteral(" secs ");
    return QStringLiteral("Verifying Media Integrity - (%1 of %2) ").arg(counted).arg(total) + estimate +
           QStringLiteral("remaining.");
}

void FinaliseMedia::setCaption(const QString& caption) {
    m_caption = caption;
    if (view.setButtonCaption) view.setButtonCaption(caption);
}

void FinaliseMedia::setEnabled(bool on) {
    if (view.setButtonEnabled) view.setButtonEnabled(on);
}

double FinaliseMedia::elapsedSeconds() const {
    return m_start.msecsTo(m_station.clock().now()) / 1000.0;
}

QString FinaliseMedia::zipPathOf(const QString& name, const QString& zipName) const {
    const StationSetup& setup = m_station.setup();
    return ZipDestinationDir(setup, ZipGroupOf(name, setup.StoreMask)) + zipName + QStringLiteral(".zip");
}

bool FinaliseMedia::askPercent(int& percent) {
    percent = PercentDefault;
    for (;;) {
        const std::optional<QString> answer = m_station.prompter().inputBox(
            QStringLiteral("Select Verification level"),
            QStringLiteral("What percentage of images do you want to fully verify?"), QString::number(percent));
        const int value = PercentOf(answer.value_or(QString::number(percent)));
        percent = value;
        if (value >= 1 && value <= 100) return true;
    }
}

void FinaliseMedia::FinalisemediaClick() {
    if (m_caption != IdleCaption) {
        m_station.task().setFinaliseStop(true);
        return;
    }
    m_station.task().setFinaliseStop(false);
    Completed = false;
    setEnabled(false);
    run();
    // Every way out leaves the button idle and the default cursor.
    setCaption(IdleCaption);
    setEnabled(true);
    m_station.SetScreenCursor(crDefault);
}

void FinaliseMedia::run() {
    Prompter& prompter = m_station.prompter();
    const StationSetup& setup = m_station.setup();
    const QString backup = setup.SetupInfo.Directories[SlotBackup];
    MediaLabel = VolumeLabelOf(m_volumes, backup);
    if (MediaLabel.isEmpty()) {
        prompter.message(Caption, QStringLiteral("No Media is loaded."), MessageIcon::Error);
        return;
    }
    m_station.task().setMediaLabel(MediaLabel);
    // The run commits and may rebuild zip files: no backup pass may have them open meanwhile.
    ZipFilesLock lock(setup.SetupInfo.Directories[SlotLocalImages]);
    if (!lock.tryLock(ZipFilesLock::Wait)) {
        prompter.message(Caption, ZipFilesLock::BusyText, MessageIcon::Error);
        return;
    }
    // A run cut short may have left a rebuilt zip file behind; nothing else would ever remove it.
    m_archive.RemoveRebuildLeftovers();
    if (m_station.ui.ServerGroupVisible) {
        if (view.countAwaitingLIS) view.countAwaitingLIS();
        if (m_station.ui.SystemLabel != QLatin1String("0") &&
            prompter.message(Caption,
                             QStringLiteral("There are still images not transmitted to the LIS ") + LineBreak +
                                 QStringLiteral("  Continue anyway?"),
                             MessageIcon::Error, MessageButtons::YesNo) != MessageResult::Yes)
            return;
    }
    if (prompter.message(Caption,
                         QStringLiteral("The process will:") + LineBreak +
                             QStringLiteral("  a) Verify the Media Integrity ") + LineBreak +
                             QStringLiteral("  b) Write out a summary file, and") + LineBreak +
                             QStringLiteral("  c) Close KestrovaNT so that you can Finalise and Eject the Media.") +
                             LineBreak + QStringLiteral("This may take a long time.") + LineBreak + LineBreak +
                             QStringLiteral("Are you certain that you want to Finalise this Media now?"),
                         MessageIcon::Error, MessageButtons::YesNo) != MessageResult::Yes)
        return;
    int percent = 1;
    askPercent(percent);
    m_station.task().setAutoProcess1(false);
    if (view.stopMediaProcess) view.stopMediaProcess();
    setCaption(StopCaption);
    setEnabled(true);
    CommitWaitingZipFiles(m_station, m_zips, true);

    TImageDataModule* data = m_station.DataModule;
    if (!data) return;
    DataQuery& q = data->AdminQuery;
    q.close();
    q.unprepare();
    q.clearParams();
    q.setSQL(QStringLiteral("Select count(SeqNumber) as CDCount from imagedata  where CDLabel = :QCDLabel"));
    q.setParamText(QStringLiteral("QCDLabel"), MediaLabel);
    MediaCount = 0;
    if (q.prepare() && q.open() && !q.isEmpty()) {
        q.first();
        MediaCount = q.fieldByName(QStringLiteral("CDCount")).asInteger();
    }
    q.close();
    if (MediaCount == 0) {
        if (prompter.message(Caption,
                             QStringLiteral("No Images for this Media found in the database.") + LineBreak + LineBreak +
                                 QStringLiteral("Do you want to run the Verify Utility instead?"),
                             MessageIcon::Error, MessageButtons::YesNo) == MessageResult::Yes &&
            view.startProgram)
            view.startProgram(VerifyUtilityPath(setup.ProgramDir), {QStringLiteral("/v"), backup}, setup.ProgramDir);
        return;
    }
    SampleInterval = std::max(1, SampleIntervalFor(MediaCount, percent));
    q.setSQL(QStringList());
    m_station.processMessages();
    if (m_station.task().FinaliseStop()) return;

    q.setSQL(QStringLiteral("select * from Imagedata where cdlabel = :QCDLabel"));
    q.setParamText(QStringLiteral("QCDLabel"), MediaLabel);
    if (!q.prepare() || !q.open() || q.isEmpty()) {
        prompter.message(Caption, QStringLiteral("No Images Stored On Media."), MessageIcon::Error);
        q.close();
        return;
    }
    SummaryPath = setup.ProgramDir + MediaLabel + QStringLiteral(".csv");
    QFile summary(SummaryPath);
    if (!summary.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        prompter.message(CreateSummaryCaption,
                         QStringLiteral("Sorry, I could not create the CD Data Summary file with ") +
                             summary.errorString(),
                         MessageIcon::Error);
        q.close();
        return;
    }
    CountedImages = FailedImages = VerifiedImages = 0;
    if (view.setGauge) view.setGauge(0, MediaCount, QStringLiteral("lime"));
    if (view.setProgressCaption) view.setProgressCaption(QStringLiteral("Verifying Media Integrity"));
    if (view.showProgress) view.showProgress(true);
    m_start = m_station.clock().now();
    m_station.processMessages();
    CheckedZips.clear();

    bool completed = false;
    if (!m_station.task().FinaliseStop()) {
        auto writeLine = [&](const QString& line) {
            const QByteArray bytes = (line + QStringLiteral("\r\n")).toUtf8();
            if (summary.write(bytes) == bytes.size()) return true;
            prompter.message(CreateSummaryCaption,
                             QStringLiteral("Error writing Media Data Summary file with ") + summary.errorString(),
                             MessageIcon::Error);
            return false;
        };
        completed = writeLine(SummaryHeader);
        for (q.first(); completed && !q.eof(); q.next()) {
            if (!writeLine(VerifyMediaRecord())) {
                completed = false;
                break;
            }
            if (CountedImages % 10 == 0) {
                m_station.processMessages();
                if (view.pause) {
                    view.pause(100);
                } else {
                    QThread::msleep(100);
                }
                if (m_station.task().FinaliseStop()) {
                    completed = false;
                    break;
                }
                if (view.setProgressCaption)
                    view.setProgressCaption(ProgressText(CountedImages, MediaCount, elapsedSeconds()));
            }
            if (CountedImages % 100 == 0 && view.setGauge) {
                view.setGauge(CountedImages, MediaCount,
                              FailedImages <= 10    ? QStringLiteral("lime")
                              : FailedImages <= 100 ? QStringLiteral("yellow")
                                                    : QStringLiteral("red"));
            }
        }
    }
    summary.close();
    const qint64 size = QFileInfo(SummaryPath).size();
    ShowFinaliseSummary();
    if (!completed) return;

    q.close();
    m_station.SetScreenCursor(crCDRomA);
    const QString summaryDir = WithTrailingSlash(backup) + QStringLiteral("summary/");
    if (!QDir().mkpath(summaryDir)) {
        prompter.message(CreateSummaryCaption, QStringLiteral("Error writing Summary Directory on Media ") + summaryDir,
                         MessageIcon::Error);
        return;
    }
    if (setup.SetupInfo.FreeSpace[3] * 10000 < size) {
        prompter.message(WriteSummaryCaption,
                         QStringLiteral("Summary file is too large for the remaining space on Media."),
                         MessageIcon::Error);
        return;
    }
    const QString target = summaryDir + QFileInfo(SummaryPath).fileName();
    // The summary replaces that of an earlier run only whole; a run killed while it copied left
    // its hidden file on the media, and it goes now.
    RemoveUnheldTemporaries(summaryDir);
    if (!CopyThroughHeldTemporary(SummaryPath, target).isEmpty()) {
        prompter.message(WriteSummaryCaption, QStringLiteral("Summary file could not be written to the Media."),
                         MessageIcon::Error);
        return;
    }
    setCaption(IdleCaption);
    m_station.SetScreenCursor(crDefault);
    QFile::remove(SummaryPath);
    Completed = true;
    prompter.message(QStringLiteral("Verify Media Completed."),
                     QStringLiteral("KestrovaNT Will now close.") + LineBreak +
                         QStringLiteral("Please eject the current media and replace it with a new one before "
                                        "restarting KestrovaNT."),
                     MessageIcon::Information);
    if (view.closeProgram) view.closeProgram();
}

QString FinaliseMedia::VerifyMediaRecord() {
    DataQuery& q = m_station.DataModule->AdminQuery;
    ++CountedImages;
    const qint32 seq = q.fieldByName(QStringLiteral("SeqNumber")).asInteger();
    const QString docDefn = q.fieldByName(QStringLiteral("DocDefn")).asString();
    const QString reqId = q.fieldByName(QStringLiteral("ReqID")).asString();
    const QString zipName = q.fieldByName(QStringLiteral("ZipName")).asString();
    QString line =
        QString::number(seq) + QLatin1Char(',') + docDefn + QLatin1Char(',') + reqId + QLatin1Char(',') +
        DateField(q.fieldByName(QStringLiteral("ScanTime"))) + QLatin1Char(',') +
        DateField(q.fieldByName(QStringLiteral("ViewTime"))) + QLatin1Char(',') +
        DateField(q.fieldByName(QStringLiteral("CDWriteTime"))) + QLatin1Char(',') +
        q.fieldByName(QStringLiteral("CDLabel")).asString() + QLatin1Char(',') + zipName + QLatin1Char(',') +
        (q.fieldByName(QStringLiteral("SentToSystem")).asBoolean() ? QStringLiteral("1") : QStringLiteral("0")) +
        QLatin1Char(',') + q.fieldByName(QStringLiteral("ImageInfo")).asString().remove(QLatin1Char(',')) +
        QLatin1Char(',');
    const QString name = reqId + QLatin1Char('~') + docDefn;
    const QString zipPath = zipPathOf(name, zipName);
    Prompter& prompter = m_station.prompter();
    auto verifyRebuilt = [&]() {
        if (m_zips.VerifyZipFile(zipPath) < 0) {
            prompter.message(QString(),
                             QStringLiteral("ERROR : REBUILT ZIP FILE FAILED VERIFY CHECK! ") + LineBreak + zipPath);
            m_station.task().setFinaliseStop(true);
            return false;
        }
        CheckedZips << zipPath;
        return true;
    };
    if (QFileInfo::exists(zipPath)) {
        if (!CheckedZips.contains(zipPath)) {
            if (m_zips.VerifyZipFile(zipPath) == 0) {
                CheckedZips << zipPath;
            } else {
                if (m_archive.RebuildZipFile(zipPath) < 0) {
                    prompter.message(QString(), QStringLiteral("ERROR : Zipfile recreation failed! ") + LineBreak +
                                                    m_archive.LastBackupError);
                    m_station.task().setFinaliseStop(true);
                    return line;
                }
                if (!verifyRebuilt()) return line;
            }
        }
    } else if (m_archive.RebuildZipFile(zipPath) >= 0) {
        if (!verifyRebuilt()) return line;
    }

    if (CountedImages % SampleInterval != 0) return line + QStringLiteral("1");
    const QString temp = DefaultTempDir();
    const QString extracted = m_zips.ExtractFromZip(zipPath, name, temp);
    if (extracted.startsWith(QLatin1String("ERROR"))) {
        prompter.message(QString(), extracted);
        ++FailedImages;
        return line + QStringLiteral("3");
    }
    const QString member = extracted.section(QLatin1Char('\n'), 0, 0);
    const QString file = temp + member;
    const QString ext = member.mid(member.lastIndexOf(QLatin1Char('.')));
    int code = CodeCounted;
    if (ext == QLatin1String(".tif")) {
        if (m_codec.loadPage(file, 0, 1)) {
            code = CodeVerified;
        } else {
            prompter.message(QString(), QStringLiteral("Verification failed for image ") + member);
            code = CodeFailed;
        }
    } else if (ext == QLatin1String(".eml")) {
        if (VerifySignedImage(file) == 0) {
            code = CodeVerified;
        } else {
            prompter.message(QString(), QStringLiteral("Verification failed for Signed image ") + member);
            code = CodeFailed;
        }
    }
    QFile::remove(file);
    if (code == CodeVerified) ++VerifiedImages;
    if (code == CodeFailed) ++FailedImages;
    SetVerified(seq, code);
    return line + QString::number(code);
}

int FinaliseMedia::VerifySignedImage(const QString& emlPath) {
    QFile in(emlPath);
    if (!in.open(QIODevice::ReadOnly)) return -1;
    const Result<MessageImage> image = ReadSignedImage(m_smime, in.readAll());
    if (!image) {
        const int code = image.code();
        return code == NotAnImageAttachment || code == AttachmentUndecodable ? code : SignatureFailed;
    }
    // The codec reads files: the image goes through a file of its own beside the message.
    const QString file = emlPath + QStringLiteral(".image") +
                         image.value().fileName.mid(image.value().fileName.lastIndexOf(QLatin1Char('.')));
    QFile out(file);
    bool loaded = out.open(QIODevice::WriteOnly) && out.write(image.value().data) == image.value().data.size();
    out.close();
    loaded = loaded && m_codec.loadPage(file, 0, 1);
    QFile::remove(file);
    return loaded ? 0 : -4;
}

void FinaliseMedia::SetVerified(qint32 seqNumber, int code) {
    DataQuery& u = m_station.DataModule->VerfifedImageQuery;
    u.close();
    u.clearParams();
    u.setParamInteger(QStringLiteral("QVerified"), code);
    u.setParamInteger(QStringLiteral("QSeqNumber"), seqNumber);
    if (!u.prepare() || !u.execSQL())
        m_station.prompter().message(QString(), QStringLiteral("Update failed ") + u.errorText());
}

void FinaliseMedia::ShowFinaliseSummary() {
    Report = (m_station.task().FinaliseStop() ? QStringLiteral("Aborted.") + LineBreak
                                              : QStringLiteral("Complete.") + LineBreak + LineBreak) +
             QStringLiteral("  %1 Images Counted. ").arg(CountedImages) + LineBreak + LineBreak +
             QStringLiteral("  %1 Images failed to verify.").arg(FailedImages) + LineBreak + LineBreak +
             QStringLiteral("  %1 images were fully verified.").arg(VerifiedImages) + LineBreak + LineBreak +
             QStringLiteral("  Time taken ") + ElapsedText(elapsedSeconds());
    setCaption(IdleCaption);
    if (view.showProgress) view.showProgress(false);
    m_station.prompter().message(QStringLiteral("Verify integrity"), Report, MessageIcon::Information);
}

} // namespace kestrova
