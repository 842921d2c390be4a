// Answers the program's modal dialogs the way a user would, from a queue of answers, and records
// what each dialog showed. A dialog that nobody expected is cancelled and recorded, so that a
// command that should not ask fails its test instead of hanging it.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>

namespace kestrun::test {

struct TSeenDialog {
    QString ObjectName, Title;
    QStringList Filters;
    QString DefaultSuffix;
    QString Initial; // the file name the dialog opened with
};

class TDialogAnswers {
public:
    TDialogAnswers() {
        QObject::connect(&Timer_, &QTimer::timeout, [this] { Poll(); });
        Timer_.start(10);
    }

    /// The next file dialog gets `fileName` typed and accepted (empty: cancelled).
    void File(const QString& fileName) {
        Queue_.push_back([fileName](QDialog* d) {
            auto* f = qobject_cast<QFileDialog*>(d);
            if (!f || fileName.isEmpty()) return d->reject();
            // Typed into the name field: selectFile leaves a focused field as it is.
            auto* edit = f->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (!edit) return d->reject();
            edit->setText(fileName);
            d->accept(); // QFileDialog::accept, which takes the typed name
        });
    }
    /// The next dialog is handed to `answer`.
    void Custom(std::function<void(QDialog*)> answer) { Queue_.push_back(std::move(answer)); }

    std::vector<TSeenDialog> Seen;
    int Unexpected = 0;

private:
    void Poll() {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d || d->property("kestrunAnswered").toBool()) return;
        d->setProperty("kestrunAnswered", true);
        TSeenDialog s{d->objectName(), d->windowTitle(), {}, {}, {}};
        if (auto* f = qobject_cast<QFileDialog*>(d)) {
            s.Filters = f->nameFilters();
            s.DefaultSuffix = f->defaultSuffix();
            if (!f->selectedFiles().isEmpty())
                s.Initial = QFileInfo(f->selectedFiles().constFirst()).fileName();
        }
        Seen.push_back(s);
        if (Queue_.empty()) {
            ++Unexpected;
            d->reject();
            d->setProperty("kestrunAnswered", false);
            return;
        }
        auto answer = std::move(Queue_.front());
        Queue_.pop_front();
        answer(d);
        // A window shown again later (the settings) is answered again.
        if (!d->isVisible()) d->setProperty("kestrunAnswered", false);
    }

    QTimer Timer_;
    std::deque<std::function<void(QDialog*)>> Queue_;
};

} // namespace kestrun::test
