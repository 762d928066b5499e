#include "core/config/SetupJson.h"

#include "core/station/Station.h"

#include <QJsonArray>

namespace kestrova {

namespace {

QJsonObject DocDefinitionToJson(const docdefinition& d) {
    return {{QStringLiteral("DocName"), d.DocName},
            {QStringLiteral("DocCode"), d.DocCode},
            {QStringLiteral("PageLength"), d.PageLength},
            {QStringLiteral("SearchDepth"), d.SearchDepth},
            {QStringLiteral("Account"), d.Account}};
}

template <std::size_t N> QJsonArray FromSlot1(const std::array<std::int64_t, N>& values) {
    QJsonArray a;
    for (std::size_t i = 1; i < N; ++i) a.append(qint64(values[i]));
    return a;
}

QJsonObject SetupInfoToJson(const setupinformation& s) {
    QJsonObject dirs;
    for (int slot = SlotScan; slot <= SlotSpare; ++slot) dirs.insert(QString::number(slot), s.Directories[slot]);
    QJsonArray defs;
    for (const docdefinition& d : s.DocDefs) defs.append(DocDefinitionToJson(d));
    return {{QStringLiteral("Directories"), dirs},
            {QStringLiteral("FreeSpace"), FromSlot1(s.FreeSpace)},
            {QStringLiteral("TotalSpace"), FromSlot1(s.TotalSpace)},
            {QStringLiteral("DocDefs"), defs},
            {QStringLiteral("DocDefCount"), s.DocDefCount},
            {QStringLiteral("NarrowFrom"), s.NarrowFrom},
            {QStringLiteral("NarrowTo"), s.NarrowTo},
            {QStringLiteral("WideFrom"), s.WideFrom},
            {QStringLiteral("WideTo"), s.WideTo},
            {QStringLiteral("DigitsFrom"), s.DigitsFrom},
            {QStringLiteral("DigitsTo"), s.DigitsTo},
            {QStringLiteral("DoubleFrom"), s.DoubleFrom},
            {QStringLiteral("DoubleTo"), s.DoubleTo},
            {QStringLiteral("QuadFrom"), s.QuadFrom},
            {QStringLiteral("QuadTo"), s.QuadTo},
            {QStringLiteral("MinPageHeight"), s.MinPageHeight},
            {QStringLiteral("BarcodeTypes"), qint64(s.BarcodeTypes)},
            {QStringLiteral("StationMode"), int(s.StationMode)},
            {QStringLiteral("ImageFormat"), int(s.ImageFormat)},
            {QStringLiteral("ScannerId"), s.ScannerId},
            {QStringLiteral("ViewImageSize"), s.ViewImageSize},
            {QStringLiteral("BackupImageSize"), s.BackupImageSize},
            {QStringLiteral("ResolutionIndex"), s.ResolutionIndex},
            {QStringLiteral("ExtraValidation"), s.ExtraValidation}};
}

QJsonObject GlobalsToJson(const Station& st) {
    const TCertificateInfo& c = st.setup().CertificateInfo;
    return {{QStringLiteral("StoreMask"), st.setup().StoreMask},
            {QStringLiteral("Slot8Mask"), st.setup().Slot8Mask},
            {QStringLiteral("StorageResolution"), st.setup().StorageResolution},
            {QStringLiteral("ColourDepth"), st.setup().ColourDepth},
            {QStringLiteral("ImagePerBarcode"), st.setup().ImagePerBarcode},
            {QStringLiteral("DeletedProblemDays"), st.setup().DeletedProblemDays},
            {QStringLiteral("FileSecurityOn"), st.setup().FileSecurityOn},
            {QStringLiteral("SecurityDomain"), st.setup().SecurityDomain},
            {QStringLiteral("SigningOn"), st.setup().SigningOn},
            {QStringLiteral("CertificateInfo"), QJsonObject{{QStringLiteral("Store"), c.Store},
                                                            {QStringLiteral("Text"), c.Text},
                                                            {QStringLiteral("Serial"), c.Serial},
                                                            {QStringLiteral("Address"), c.Address},
                                                            {QStringLiteral("Extra"), c.Extra}}},
            {QStringLiteral("LocalImagesFlag"), st.setup().LocalImagesFlag},
            {QStringLiteral("ProgramDir"), st.setup().ProgramDir},
            {QStringLiteral("TempDir"), st.setup().TempDir},
            {QStringLiteral("ProblemSkipCount"), st.task().ProblemSkipCount()}};
}

QJsonObject WindowToJson(const MainWindowState& ui, const TaskState& task) {
    return {{QStringLiteral("Caption"), ui.Caption},
            {QStringLiteral("ServerGroupVisible"), ui.ServerGroupVisible},
            {QStringLiteral("CDGrpEnabled"), ui.CDGrpEnabled},
            {QStringLiteral("CDGroupLabelVisible"), ui.CDGroupLabelVisible},
            {QStringLiteral("AutoProcess1Checked"), task.AutoProcess1()},
            {QStringLiteral("AutoProcess1Caption"), AutoProcess1Caption(task)},
            {QStringLiteral("SignIconVisible"), ui.SignIconVisible},
            {QStringLiteral("ProblemFilesMask"), ui.ProblemFilesMask},
            {QStringLiteral("ProblemFilesDirectory"), ui.ProblemFilesDirectory},
            {QStringLiteral("lblBarcodeProfile"), ui.lblBarcodeProfile}};
}

} // namespace

QJsonObject SetupToJson(const Station& station) {
    return {{QStringLiteral("SetupInfo"), SetupInfoToJson(station.setup().SetupInfo)},
            {QStringLiteral("globals"), GlobalsToJson(station)},
            {QStringLiteral("ui"), WindowToJson(station.ui, station.task())}};
}

} // namespace kestrova
