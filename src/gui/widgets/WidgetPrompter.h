#pragma once

#include "core/ports/Prompter.h"

class QWidget;

namespace kestrova {

// Real message and input boxes, parented to the active window.
class WidgetPrompter : public Prompter {
public:
    explicit WidgetPrompter(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    MessageResult message(const QString& caption, const QString& text, MessageIcon icon,
                          MessageButtons buttons) override;
    std::optional<QString> inputBox(const QString& caption, const QString& prompt, const QString& defaultText) override;

private:
    QWidget* m_parent;
};

} // namespace kestrova
