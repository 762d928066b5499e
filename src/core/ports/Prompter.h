#pragma once

#include <QString>
#include <optional>

namespace kestrova {

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageResult { Ok, Cancel, Yes, No };

// Modal message and input boxes. The workstation shows real boxes, the command line prints the
// message and takes the default, tests answer from a script.
class Prompter {
public:
    virtual ~Prompter() = default;

    virtual MessageResult message(const QString& caption, const QString& text, MessageIcon icon = MessageIcon::None,
                                  MessageButtons buttons = MessageButtons::Ok) = 0;

    // Returns the entered text, or nothing when the operator cancelled.
    virtual std::optional<QString> inputBox(const QString& caption, const QString& prompt,
                                            const QString& defaultText) = 0;
};

} // namespace kestrova
