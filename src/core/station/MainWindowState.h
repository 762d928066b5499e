#pragma once

#include "core/station/TaskState.h"

#include <QString>

namespace kestrova {

// Text colours of the status display: the window's text colour, or a signal colour.
enum class LabelColour { WindowText, Red, Blue, Aqua };

// The status view-model: what the main window shows (captions, colours, counter texts, drive
// bars), kept as data so that the status monitor, the setup reader and the passes can fill it and
// the command line can report it. The window renders it; whoever changes it calls
// Station::notify(). The switches themselves are task state; their captions are derived below.
struct MainWindowState {
    QString Caption = QStringLiteral("KestrovaNT ");
    QString lblBarcodeProfile = QStringLiteral("System is using default barcode type");
    bool ServerGroupVisible = false; // "Awaiting Lab IS"
    bool CDGrpEnabled = true;
    bool CDGroupLabelVisible = true;
    // The signing certificate's warning (the backup pass sets it; a click on the counter shows it)
    // and the counter's colour: red when the certificate has expired, aqua while it runs out.
    QString CDGroupLabelHint;
    LabelColour CDGroupLabelColour = LabelColour::WindowText;
    bool SignIconVisible = false;
    // The problem file list: a mask and the directory it lists.
    QString ProblemFilesMask;
    QString ProblemFilesDirectory;
    // Counter texts of the "Image Progress" group.
    QString ScannedWaitingLabel = QStringLiteral("0");
    QString DecodedWaitingLabel = QStringLiteral("0");
    QString CDGroupLabel = QStringLiteral("0");
    QString ProblemGrpLabel = QStringLiteral("0");
    QString SystemLabel = QStringLiteral("0");
    QString ScannerDocLabel;
    // Batch decoding under way: the page being decoded (from 1) of how many; 0 pages when idle.
    int DecodePage = 0;
    int DecodePages = 0;

    // Status display: counter and device label colours, drive bars (0..1000, the used part in
    // per mille), the labels that replace a bar, and the device group captions.
    LabelColour ProblemGrpLabelColour = LabelColour::WindowText;
    LabelColour ScannedWaitingLabelColour = LabelColour::WindowText;
    LabelColour DecodedWaitingLabelColour = LabelColour::WindowText;
    // Hints of the file counters: which of their directories is missing; empty while all are there.
    QString ScannedWaitingLabelHint;
    QString DecodedWaitingLabelHint;
    QString ProblemGrpLabelHint;
    LabelColour SystemLabelColour = LabelColour::WindowText;
    int KestrovaBarPosition = 0;
    // What the drive bars stand for, as their tooltips: "N % free, X GB" (empty when unknown).
    QString KestrovaBarHint;
    QString ImagesBarHint;
    QString CDWriterBarHint;
    QString ImagesDrvGrpCaption = QStringLiteral("Images Drive");
    bool ImagesBarVisible = true;
    int ImagesBarPosition = 0;
    bool ImagesDrivelabelVisible = false;
    QString ImagesDrivelabel;
    LabelColour ImagesDrivelabelColour = LabelColour::WindowText;
    QString CDWriterGrpCaption = QStringLiteral("Disc Media");
    bool CDWriterBarVisible = true;
    int CDWriterBarPosition = 0;
    bool CdwriterlabelVisible = false;
    QString Cdwriterlabel;
    LabelColour CdwriterlabelColour = LabelColour::WindowText;
};

// The captions of the two switches of the main window, each derived from its task switch.
inline QString AutoProcess1Caption(const TaskState& task) {
    return task.AutoProcess1() ? QStringLiteral("Me&dia Process ON") : QStringLiteral("Me&dia Process OFF");
}
inline QString DecodeProblems1Caption(const TaskState& task) {
    return task.DecodeProblems1() ? QStringLiteral("&Decode Problems ON") : QStringLiteral("&Decode Problems OFF");
}

} // namespace kestrova
