#pragma once

// "La classe": the teacher keeps the list of pupils (added, renamed, removed, imported from the school's
// list) and the folder of their photographs; the list is saved at each change.

#include "classlist.h"

#include <QWidget>

class QLabel;
class QTableWidget;

class ClassTab : public QWidget {
public:
    explicit ClassTab(const QList<ClassPupil> &pupils, QWidget *parent = nullptr);
    const QList<ClassPupil> &pupils() const { return m_pupils; }

private:
    void refresh();
    bool save();
    void addPupil();
    void changePupil();
    void removePupil();
    void choosePhotoFolder();
    void importList();

    QList<ClassPupil> m_pupils;
    QLabel *m_photoFolder = nullptr;
    QTableWidget *m_table = nullptr;
};
