#pragma once

#include <QTimer>
#include <QTreeWidget>

class KRGroup;
class KRegistry;
class TSources;

// The list of configured sources: each source group's name and status, a
// group marked deleted shown struck out. The statuses follow the sources
// while the list is shown.
class TZSourceSelector : public QTreeWidget {
  public:
    TZSourceSelector(KRegistry& settings, TSources* sources, QWidget* parent = nullptr);

    // Lists the source groups again and selects group (none: the first).
    void Fill(KRGroup* group);
    // The group of the selected row, or null.
    KRGroup* Selected() const { return GroupOf(currentItem()); }
    static KRGroup* GroupOf(const QTreeWidgetItem* item);

  private:
    // Every row's name, status and marking from its group.
    void Refresh();

    KRegistry& settings_;
    TSources* sources_;
    QTimer refresh_;
};
