#pragma once

#include <QDialog>
#include <string>

class QComboBox;
class QLabel;

namespace svu {

/// "Background Bitmap": the page's bitmap file (browse, clear) and how it is placed ("Display").
class BackgroundBitmapDialog : public QDialog {
public:
    BackgroundBitmapDialog(const std::string& file, int mode, QWidget* parent);
    std::string File() const { return file_; }
    /// 0 centre, 1 tile, 2 top left, 3 stretch.
    int Mode() const;
    void SetFile(const std::string& file);

private:
    void ShowFile();

    std::string file_;
    QLabel* fileLabel_ = nullptr;
    QComboBox* mode_ = nullptr;
};

}  // namespace svu
