#pragma once

#include <QDialog>

class ModalRunner;

// Base of the program's modal windows. The window object lives for the whole program
// (its public fields survive), while its controls exist only while it is shown:
// showModal() builds them afresh, runs the window's Load, shows the window through
// the ModalRunner seam, and destroys the controls when the window closes.
class ModalForm : public QDialog
{
    Q_OBJECT

public:
    explicit ModalForm(ModalRunner& runner, QWidget* parent = nullptr);

    // Returns the dialog's result code when the window has closed.
    int showModal();
    // Unloads the window from inside (Close buttons, a choice made).
    void unload() { done(QDialog::Accepted); }

    // Whether the controls currently exist (between Load and close).
    bool isLoaded() const { return m_surface != nullptr; }

protected:
    // Escape closes the window like its close box only where a window asks for it:
    // elsewhere it would throw away what the user has typed.
    void setClosesOnEscape(bool closes) { m_closesOnEscape = closes; }
    void keyPressEvent(QKeyEvent* event) override;

    // Builds every control as a child of `surface`; called before each showing.
    virtual void createControls(QWidget* surface) = 0;
    // The window's Load handler; runs after createControls, before the window shows.
    virtual void Form_Load() {}
    // Client area in twips.
    void setClientSizeTwips(int width, int height);

private:
    ModalRunner& m_runner;
    QWidget* m_surface = nullptr;
    bool m_closesOnEscape = false;
};
