#pragma once
#include <QApplication>

// The application object. Its one addition: an exception that escapes an event handler is
// logged and recorded for the next problem report instead of ending the process unseen.
class QuillApplication : public QApplication
{
public:
    QuillApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // The process entry: one instance per display, then the launch sequence and the event loop.
    static int runMain(int argc, char **argv);
};
