#pragma once

#include <QApplication>
#include <QWidget>

namespace varnook {

// A window with a load step and an unload step. Loading constructs the window and runs its load
// step once; unloading runs the unload step and destroys the window; the close box unloads.
class Form : public QWidget {
    Q_OBJECT

public:
    explicit Form(QWidget *parent = nullptr);

    // Runs the load step. False when the load step ended the program.
    bool runLoad();
    // Runs the unload step, hides the window and destroys it once control returns to the event loop.
    void unload();
    bool isUnloaded() const { return m_unloaded; }

protected:
    // Return false when the load step has ended the program.
    virtual bool Form_Load() { return true; }
    virtual void Form_Unload() {}

    void closeEvent(QCloseEvent *event) override;

private:
    bool m_unloaded = false;
};

// Windows are found among the application's top-level windows, as the desktop knows them; there is
// no registry of our own. A window that has run its unload step counts as not loaded.
template <class T> T *findForm() {
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *form = qobject_cast<T *>(widget); form && !form->isUnloaded())
            return form;
    }
    return nullptr;
}

// Loads the window unless it is loaded already; null when its load step ended the program. A window
// whose load step failed is destroyed at once, so that no later lookup finds it half loaded.
template <class T> T *loadForm() {
    if (T *form = findForm<T>())
        return form;
    auto *form = new T;
    if (!form->runLoad()) {
        delete form;
        return nullptr;
    }
    return form;
}

// Unloads the window; does nothing when it is not loaded.
template <class T> void unloadForm() {
    if (T *form = findForm<T>())
        form->unload();
}

// Control arrays: every element carries the array's name as object name and its index as "Index".
QWidget *controlElement(const QWidget *window, const QString &name, int index);
void setControlIndex(QObject *control, const QString &name, int index);
int controlIndex(const QObject *control);

} // namespace varnook
