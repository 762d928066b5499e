#pragma once

#include <QToolBar>
#include <array>
#include <initializer_list>

namespace kestrova {

class DocumentImageView;

// The toolbar over the document image. Each view shows the buttons it needs.
class DocumentImageToolbar : public QToolBar {
    Q_OBJECT
public:
    enum Button {
        Magnify,
        ZoomIn,
        ZoomOut,
        ResetZoom,
        BestFit,
        Rotate90,
        Rotate180,
        Deskew,
        RemoveBorder,
        FirstPage,
        PriorPage,
        NextPage,
        LastPage,
        ButtonCount
    };

    explicit DocumentImageToolbar(QWidget* parent = nullptr);

    QAction* action(Button button) const { return m_actions[button]; }
    // Shows exactly these buttons.
    void showButtons(std::initializer_list<Button> buttons);

signals:
    void buttonTriggered(kestrova::DocumentImageToolbar::Button button);

private:
    std::array<QAction*, ButtonCount> m_actions{};
};

// Carries out on view a button that every viewer handles alike: the magnifier (as its button
// stands), zoom in and out, best fit and the four page buttons. False for the other buttons,
// which each viewer handles its own way.
bool ApplyViewerButton(const DocumentImageToolbar& toolbar, DocumentImageView& view, int button);

} // namespace kestrova
