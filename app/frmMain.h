#pragma once

#include <QWidget>

// The main window. (Being built.)
class frmMain : public QWidget {
    Q_OBJECT

public:
    explicit frmMain(QWidget* parent = nullptr);
};
