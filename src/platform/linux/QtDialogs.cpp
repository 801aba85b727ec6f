#include "QtDialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {
std::shared_ptr<Dialogs> &instance()
{
    static std::shared_ptr<Dialogs> shared;
    return shared;
}
} // namespace

Dialogs &Dialogs::shared()
{
    if (!instance())
        instance() = std::make_shared<QtDialogs>();
    return *instance();
}

void Dialogs::setShared(std::shared_ptr<Dialogs> replacement)
{
    instance() = std::move(replacement);
}

bool QtDialogs::confirm(const Alert &alert)
{
    QMessageBox box;
    box.setIcon(QMessageBox::Warning);
    box.setText(alert.message);
    box.setInformativeText(alert.informative);
    QPushButton *accept = box.addButton(alert.accept, QMessageBox::AcceptRole);
    box.addButton(alert.reject, QMessageBox::RejectRole);
    box.setDefaultButton(accept);
    box.exec();
    return box.clickedButton() == accept;
}

std::optional<QString> QtDialogs::chooseFolder(const QString &start, const QString &prompt)
{
    QFileDialog dialog(nullptr, QString(), start);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setLabelText(QFileDialog::Accept, prompt);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
