#pragma once

#include <QDateTime>
#include <QFile>
#include <QString>
#include <QStringList>
#include <functional>

namespace kestrova {

class ImageCodec;
class SignedImageArchive;
class Smime;
class Station;
class Volumes;
class ZipMedia;

// What the finalise run shows and asks of the window around it; each may be left unset.
struct FinaliseView {
    std::function<void(const QString&)> setButtonCaption;
    std::function<void(bool)> setButtonEnabled;
    std::function<void(bool)> showProgress; // ProgressGroup shown or hidden
    std::function<void(const QString&)> setProgressCaption;
    std::function<void(int value, int maximum, const QString& colour)> setGauge;
    std::function<void()> countAwaitingLIS; // refreshes ui.SystemLabel
    std::function<void()> stopMediaProcess; // unchecks the media process menu item
    std::function<void(const QString& program, const QStringList& args, const QString& dir)> startProgram;
    std::function<void()> closeProgram;
    std::function<void(int ms)> pause; // the pause after every tenth row
};

// Verification codes of a row.
enum FinaliseCode { CodeCounted = 1, CodeVerified = 2, CodeNotExtracted = 3, CodeFailed = 4 };

// Finalising the inserted backup medium: the waiting zip files are committed, every row recorded
// for the medium is walked, each of its zip files is checked once (and rebuilt from the local
// copies when incomplete or missing), one row in SampleInterval is extracted and loaded (a signed
// message has its signature checked first), the result goes into the row's Verified column and a
// comma-separated summary of the medium's rows is written in the program directory and copied into
// the medium's "summary" directory. A completed run then closes the program for the disc change.
class FinaliseMedia {
public:
    FinaliseMedia(Station& station, const ZipMedia& zips, SignedImageArchive& archive, const ImageCodec& codec,
                  const Smime& smime, const Volumes& volumes)
        : m_station(station), m_zips(zips), m_archive(archive), m_codec(codec), m_smime(smime), m_volumes(volumes) {}

    FinaliseView view;
    // The percentage the run starts its question with (the command line answers with it).
    int PercentDefault = 1;

    // The button: starts a run, or asks the running one to stop.
    void FinalisemediaClick();
    bool running() const { return m_caption == StopCaption; }
    // The stop request is the station's FinaliseStop (TaskState); the window clears it when it opens.

    // The summary line of the current row of AdminQuery (see the class comment).
    QString VerifyMediaRecord();
    // 0 when the message verifies and holds an image that loads; -1 unreadable, -2 signature,
    // -3 undecodable attachment, -4 image does not load, -5 no image attachment.
    int VerifySignedImage(const QString& emlPath);
    void SetVerified(qint32 seqNumber, int code);
    void ShowFinaliseSummary();

    // The whole part of 100 / percent for a medium of mediaCount rows.
    static int SampleIntervalFor(int mediaCount, int percent);
    // The answer of the percentage box as a whole number: up to the first ".", else 5.
    static int PercentOf(const QString& answer);
    // "N hrs, M mins, S secs." of the closing report.
    static QString ElapsedText(double seconds);
    // The progress caption for counted of total rows after elapsed seconds.
    static QString ProgressText(int counted, int total, double seconds);

    // What the last run found.
    int MediaCount = 0;
    int SampleInterval = 1;
    int CountedImages = 0;
    int FailedImages = 0;
    int VerifiedImages = 0;
    QStringList CheckedZips;
    QString MediaLabel;
    QString SummaryPath; // the summary file in the program directory
    bool Completed = false;
    QString Report;

    static inline const QString IdleCaption = QStringLiteral("&Finalise Media");
    static inline const QString StopCaption = QStringLiteral("Stop &Finalising");
    static inline const QString Caption = QStringLiteral("Finalise Media");
    static inline const QString SummaryHeader = QStringLiteral(
        "SeqNumber,DocDefn,ReqID,ScanTime,Viewtime,CDWriteTime,CDLabel,Zipname,SentToSystem,ImageInfo,Verified");
    static inline const QString VerifyUtility = QStringLiteral("reloadfmcd");

private:
    void setCaption(const QString& caption);
    void setEnabled(bool on);
    bool askPercent(int& percent);
    void run();
    double elapsedSeconds() const;
    QString zipPathOf(const QString& name, const QString& zipName) const;

    Station& m_station;
    const ZipMedia& m_zips;
    SignedImageArchive& m_archive;
    const ImageCodec& m_codec;
    const Smime& m_smime;
    const Volumes& m_volumes;
    QString m_caption = IdleCaption;
    QDateTime m_start;
};

} // namespace kestrova
