#pragma once

#include <QLabel>

#include <algorithm>

namespace kestrova {

// A one-line label that shortens its text with "…" to the width it has, again whenever its size
// changes; the whole text is its tooltip.
class ElidedLabel : public QLabel {
public:
    using QLabel::QLabel;

    void setFullText(const QString& text) {
        m_full = text;
        setToolTip(text);
        elide();
    }
    QString fullText() const { return m_full; }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        elide();
    }

private:
    void elide() { setText(fontMetrics().elidedText(m_full, Qt::ElideRight, std::max(1, contentsRect().width()))); }

    QString m_full;
};

} // namespace kestrova
