#include "ModalForm.h"

#include "ModalRunner.h"
#include "Twips.h"

#include <QKeyEvent>

ModalForm::ModalForm(ModalRunner& runner, QWidget* parent) : QDialog(parent), m_runner(runner) {}

int ModalForm::showModal()
{
    delete m_surface;
    m_surface = new QWidget(this);
    m_surface->setObjectName(QStringLiteral("surface"));
    createControls(m_surface);
    m_surface->setGeometry(rect());
    m_surface->show();
    setResult(QDialog::Rejected);
    Form_Load();
    const int result = m_runner.runModal(*this);
    // Closing destroys the controls; the window object and its fields stay.
    delete m_surface;
    m_surface = nullptr;
    return result;
}

void ModalForm::setClientSizeTwips(int width, int height)
{
    setFixedSize(Twips::toPixels(width), Twips::toPixels(height));
    if (m_surface)
        m_surface->setGeometry(rect());
}

void ModalForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
        !m_closesOnEscape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
