#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace varnook {

// The bar under the entry list that finds as you type: the text to find, whether passwords are
// looked in too, how many entries are shown and hidden, and a button that closes it. The window
// decides what the text does to the list.
class FindBar : public QWidget {
    Q_OBJECT

public:
    explicit FindBar(QWidget *parent = nullptr);

    QLabel *findLabel() const { return m_findLabel; }
    QLineEdit *findBox() const { return m_findBox; }
    QCheckBox *passwordsBox() const { return m_passwordsBox; }
    QLabel *countLabel() const { return m_countLabel; }
    QPushButton *closeButton() const { return m_closeButton; }

    QString findText() const;
    bool inPasswords() const;
    // Empties the box and unticks passwords, without a findChanged.
    void reset();
    void showCounts(int shown, int total, bool filtering);

signals:
    // A key in the box, or the password box ticked or unticked.
    void findChanged(const QString &text, bool inPasswords);
    // Enter or Down in the box: the user goes on in the list.
    void listRequested();
    void closeRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *m_findLabel;
    QLineEdit *m_findBox;
    QCheckBox *m_passwordsBox;
    QLabel *m_countLabel;
    QPushButton *m_closeButton;
};

} // namespace varnook
