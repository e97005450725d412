#pragma once

#include "widgets/FormControls.h"
#include "widgets/ModalForm.h"

#include <QList>
#include <array>
#include <cstddef>

class AppContext;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class frmSearcher;

// What the master windows share: a search box whose lookup fetches an entry for
// editing (the code is then locked), the entry's detail boxes with an "Active" box,
// and Save, Close and Clear. Save refuses an empty entry, asks before it overwrites a
// fetched one, sends one save statement, says "Done." and empties the boxes.
class MasterBuildForm : public ModalForm
{
    Q_OBJECT

public:
    // The controls exist only while the window is loaded.
    QGroupBox* fraSearch = nullptr;
    QLineEdit* txtMealSearch = nullptr;
    QPushButton* cmdMealSearch = nullptr;
    QGroupBox* Frame1 = nullptr;
    QCheckBox* chkStatus = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdClose = nullptr;
    QPushButton* cmdClear = nullptr;

    // True while the fields hold an entry fetched through the lookup.
    bool editMode() const { return blnEditMode; }

protected:
    // Sizes in twips of what differs in the windows' shapes.
    struct Shape
    {
        int clientHeight;
        // Height of the frame that holds the details and the buttons.
        int detailsHeight;
        // Top of the Save, Close and Clear row inside that frame.
        int buttonsTop;
    };

    MasterBuildForm(AppContext& context, const QString& objectName, const QString& title,
                    const Shape& shape);

    void createControls(QWidget* surface) final;
    void Form_Load() override;

    // Creates and places the detail boxes and their labels inside `frame`.
    virtual void createDetails(QGroupBox* frame) = 0;
    // The detail boxes in tab order; the first holds the code, the second the name.
    virtual QList<QLineEdit*> detailBoxes() const = 0;
    // Creates the window's own buttons inside `frame`; Tab reaches them after Close.
    virtual QList<QWidget*> createExtraButtons(QGroupBox* frame);
    // The lookup dialog's mode for the search button.
    virtual QString lookupMode() const = 0;
    // Copies the lookup's outputs beyond code, name and status into the boxes.
    virtual void takeLookupExtras(const frmSearcher& searcher);
    // Sends the save statement for the boxes' values; failures are thrown as DbError.
    virtual void saveDetails() = 0;
    // Enter in a detail box or the Active box; the key reaches the control afterwards.
    virtual void enterPressed(QObject* watched);

    // Creates the detail boxes txtMealDetails(0), txtMealDetails(1), ... inside `frame`.
    template <std::size_t N>
    static void makeDetailBoxes(QWidget* frame, std::array<QLineEdit*, N>& boxes)
    {
        for (std::size_t i = 0; i < N; ++i)
            boxes[i] =
                FormControls::textBox(frame, FormControls::indexed("txtMealDetails", int(i)));
    }
    // Places the code and name rows every master has and creates their labels, "Code:"
    // as lblCode(2) and "Name:" as lblCode(0).
    void createCodeAndName(QWidget* frame, QLabel*& codeLabel, QLabel*& nameLabel) const;

    AppContext& m_context;

private:
    void cmdMealSearch_Click();
    void cmdSave_Click();
    void cmdClear_Click();
    void cmdClose_Click();
    // Empties the detail boxes and returns to a new entry; the Active box and the
    // search text stay as they are.
    void ClearDetails();

    Shape m_shape;
    bool blnEditMode = false;
};
