#pragma once

#include "widgets/ModalRunner.h"

#include <QQueue>
#include <QStringList>
#include <functional>

class QDialog;

// Drives modal windows without a nested event loop. Each runModal() shows the dialog,
// hands it to the next scripted step (which clicks, types, double-clicks...), and then
// closes it as the title-bar close box would if the step left it open.
// A dialog with no step waiting is closed at once and recorded as unexpected.
class ScriptedModalRunner : public ModalRunner
{
public:
    using Step = std::function<void(QDialog&)>;

    int runModal(QDialog& dialog) override;

    void then(Step step) { m_steps.enqueue(std::move(step)); }
    // Closes the next dialog without doing anything in it.
    void thenClose();
    // objectNames of every dialog shown, in order.
    const QStringList& shown() const { return m_shown; }
    int unexpected() const { return m_unexpected; }
    int pendingSteps() const { return int(m_steps.size()); }

private:
    QQueue<Step> m_steps;
    QStringList m_shown;
    int m_unexpected = 0;
};
