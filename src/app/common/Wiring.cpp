#include "app/common/Wiring.h"

#include "core/db/TImageDataModule.h"
#include "core/store/SigningCertificate.h"
#include "platform/openssl/OpenSslSmime.h"

namespace kestrova {

bool SetupUsable(SetupOutcome outcome, SetupNeed need) {
    switch (outcome) {
    case SetupOutcome::Ok:
        return true;
    case SetupOutcome::EndAfterStartup:
        return need == SetupNeed::Reading;
    case SetupOutcome::EndNow:
        break;
    }
    return false;
}

StationStartup::StationStartup(Prompter& prompter)
    : m_station(prompter, m_clock),
      m_smime(std::make_unique<OpenSslSmime>(m_station.setup().ProgramDir + CertificateStoresDir)) {
    m_station.SMIME1 = m_smime.get();
}

StationStartup::~StationStartup() {
    m_station.DataModule = nullptr;
    m_station.SMIME1 = nullptr;
}

void StationStartup::echoLog(const std::function<void(const QString&)>& echo) {
    QObject::connect(&m_station.eventLog(), &EventLog::lineAdded, &m_station, echo);
}

bool StationStartup::readSetup(const QString& path, SetupNeed need, const SetupFileHooks& hooks) {
    SetupFileHooks withSigning = hooks;
    if (!withSigning.SelectSigningCertificate)
        withSigning.SelectSigningCertificate = [this] { SelectSigningCertificate(m_station); };
    m_setup = ReadSetupFile(m_station, path, withSigning);
    return SetupUsable(m_setup, need);
}

bool StationStartup::openDatabase() {
    ImageDataModuleCreation created = TImageDataModule::Create(m_station);
    m_openExitCode = created.exitCode;
    m_data = std::move(created.module);
    m_station.DataModule = m_data.get();
    return m_data != nullptr;
}

} // namespace kestrova
