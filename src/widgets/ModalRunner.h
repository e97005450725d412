#pragma once

class QDialog;

// The one seam through which every modal window is shown. Production runs the
// dialog's own event loop; tests install a runner that drives the dialog and closes it.
class ModalRunner
{
public:
    virtual ~ModalRunner() = default;
    // Shows `dialog` modally; returns when it is closed, with its result code.
    virtual int runModal(QDialog& dialog) = 0;
};

class ExecModalRunner : public ModalRunner
{
public:
    int runModal(QDialog& dialog) override;
};
