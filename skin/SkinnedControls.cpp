#include "SkinnedControls.h"

#include "PictureBox.h"
#include "SkinLabel.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>

namespace varnook {

SkinnedControls &SkinnedControls::add(QPushButton *button) {
    return dress(button, Dress::Button);
}

SkinnedControls &SkinnedControls::add(QToolButton *button) {
    return dress(button, Dress::Button);
}

SkinnedControls &SkinnedControls::add(QCheckBox *box) {
    return dress(box, Dress::Caption);
}

SkinnedControls &SkinnedControls::add(QLabel *label) {
    return dress(label, Dress::Caption);
}

SkinnedControls &SkinnedControls::add(SkinLabel *label) {
    return dress(label, Dress::Caption);
}

SkinnedControls &SkinnedControls::add(QGroupBox *frame) {
    return dress(frame, Dress::Caption);
}

SkinnedControls &SkinnedControls::add(QLineEdit *box) {
    return dress(box, Dress::Field);
}

SkinnedControls &SkinnedControls::add(QPlainTextEdit *box) {
    return dress(box, Dress::Field);
}

SkinnedControls &SkinnedControls::add(QComboBox *box) {
    return dress(box, Dress::Field);
}

SkinnedControls &SkinnedControls::add(QAbstractItemView *list) {
    return dress(list, Dress::Field);
}

SkinnedControls &SkinnedControls::add(QTextEdit *text) {
    return dress(text, Dress::Field);
}

SkinnedControls &SkinnedControls::add(PictureBox *box) {
    return dress(box, Dress::Picture);
}

SkinnedControls &SkinnedControls::dress(QWidget *control, Dress dress) {
    if (control)
        m_controls.append({control, dress});
    return *this;
}

} // namespace varnook
