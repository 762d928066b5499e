#include "core/scan/BarcodeList.h"

#include "core/ports/Prompter.h"
#include "core/scan/ProblemResolution.h"

namespace kestrova {

namespace {
const QString AddError = QStringLiteral("Add Barcode - Error");
}

BarcodeList::BarcodeList(Prompter& prompter, int digitsFrom, int digitsTo)
    : m_prompter(prompter), m_digitsFrom(digitsFrom), m_digitsTo(digitsTo) {}

void BarcodeList::setEditedBarcodes(const QStringList& names) {
    m_names.clear();
    for (const QString& name : names) {
        if (!m_names.contains(name)) m_names << name;
    }
}

void BarcodeList::show() {
    m_names.sort();
}

QString BarcodeList::add(const QString& editText) {
    if (editText.isEmpty()) return {};
    QString text = editText;
    for (const QChar c : QStringLiteral("/\\:*?\"<>|")) text.remove(c);
    text = text.trimmed();
    // A text left without a name (nothing, or only the "!") is too short whatever the bounds.
    if (text.size() < m_digitsFrom || text.isEmpty() || text == QStringLiteral("!")) {
        m_prompter.message(AddError, QStringLiteral("Barcode number or Label too short."), MessageIcon::Error);
        return {};
    }
    const bool number = IsRequestNumber(text);
    if (number && text.size() > m_digitsTo) {
        m_prompter.message(AddError, QStringLiteral("Barcode number too Long."), MessageIcon::Error);
        return {};
    }
    if (!number && !text.startsWith(QLatin1Char('!'))) text.prepend(QLatin1Char('!'));
    if (!m_names.contains(text)) {
        m_names << text;
        m_names.sort();
    }
    return text;
}

int BarcodeList::remove(int index) {
    if (index < 0 || index >= m_names.size()) return m_names.isEmpty() ? -1 : std::min<int>(index, m_names.size() - 1);
    m_names.removeAt(index);
    if (m_names.isEmpty()) return -1;
    return std::min<int>(index, m_names.size() - 1);
}

} // namespace kestrova
