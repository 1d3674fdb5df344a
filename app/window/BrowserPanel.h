#pragma once
// The left panel, 177 pixels wide: the drive selector on its own strip, the
// directory list, the file list (which takes what height is left) and the
// process list, with a splitter above and below the file list.

#include <QFrame>

class DirectoryList;
class DriveSelector;
class MapFileList;
class ProcessPicker;

class BrowserPanel : public QFrame {
    Q_OBJECT
public:
    BrowserPanel(DriveSelector* drives, DirectoryList* directories, MapFileList* files, ProcessPicker* processes,
                 QWidget* parent);
};
