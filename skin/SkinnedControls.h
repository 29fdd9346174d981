#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

#include <initializer_list>

class QAbstractItemView;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTextEdit;
class QToolButton;

namespace varnook {

class PictureBox;
class SkinLabel;

// What one window hands the skin to dress: the window and its controls, each added as what it is.
// The skin finds no control by its name or its class name: a control the window does not add keeps
// the desktop's colours, and a control renamed or retyped fails to build where it is added.
class SkinnedControls {
public:
    // How the skin dresses a control; every kind takes the skin's whole palette first, so that no
    // colour of the desktop's is left to meet one of the skin's.
    enum class Dress {
        Button,  // the face colour behind the caption
        Caption, // a caption on the window colour: labels, check boxes, frames, skinned labels
        Field,   // the face colour behind the text colour: text boxes, lists, rich text
        Picture, // the picture colour, filled in
    };

    struct Control {
        QPointer<QWidget> widget;
        Dress dress;
    };

    explicit SkinnedControls(QWidget *window)
        : m_window(window) {}

    // Command buttons.
    SkinnedControls &add(QPushButton *button);
    SkinnedControls &add(QToolButton *button);
    // Captions shown on the window's colour.
    SkinnedControls &add(QCheckBox *box);
    SkinnedControls &add(QLabel *label);
    SkinnedControls &add(SkinLabel *label);
    SkinnedControls &add(QGroupBox *frame);
    // Text boxes, combo boxes, lists and rich text.
    SkinnedControls &add(QLineEdit *box);
    SkinnedControls &add(QPlainTextEdit *box);
    SkinnedControls &add(QComboBox *box);
    SkinnedControls &add(QAbstractItemView *list);
    SkinnedControls &add(QTextEdit *text);
    // Picture boxes.
    SkinnedControls &add(PictureBox *box);

    // Several controls of one kind, in order.
    template <class T> SkinnedControls &add(const QList<T *> &controls) {
        for (T *control : controls)
            add(control);
        return *this;
    }
    template <class T> SkinnedControls &add(std::initializer_list<T *> controls) {
        for (T *control : controls)
            add(control);
        return *this;
    }

    QWidget *window() const { return m_window; }
    // In the order they were added; a control deleted since is null.
    const QList<Control> &controls() const { return m_controls; }

private:
    SkinnedControls &dress(QWidget *control, Dress dress);

    QPointer<QWidget> m_window;
    QList<Control> m_controls;
};

} // namespace varnook
