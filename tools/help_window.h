// TFormHlp: the help viewer. A tree of topics on the left ("E" and "C"
// expand and collapse it), the chosen topic's RTF page on the right, a
// title panel above and a status panel below; the user drags the window's
// own surface between tree and text to share the width out. Pages come
// from the help folder through RtfReader; the layout is helpLayout's.
#pragma once

#include "tools/help_topics.h"

#include <QWidget>

#include <string>

class QLabel;
class QPushButton;
class QTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace ov {

class TFormHlp : public QWidget {
public:
    // helpFolder: the host folder of the pages. Loads about.rtf at once.
    explicit TFormHlp(const std::string& helpFolder, QWidget* parent = nullptr);

    // The share of the client width given to the tree (starts at 0.33).
    double SplitRatio = 0.33;

    QTreeWidget* TreeView1 = nullptr;
    QTextEdit* RichEdit1 = nullptr;
    QWidget* Panel1 = nullptr; // title
    QLabel* StatusBar1 = nullptr; // status
    QWidget* Panel2 = nullptr; // holds the text pane
    QPushButton* SpeedButton1 = nullptr; // "E"
    QPushButton* SpeedButton2 = nullptr; // "C"

    // A node was chosen: a topic loads its page, a group heading clears the text.
    void TreeView1Change(QTreeWidgetItem* node);
    // Shows the page relativeFile ("FilesOp\copy.rtf"); a missing page gives
    // an empty text and its name in the status panel.
    void LoadTopic(const std::string& relativeFile);
    void SpeedButton1Click(); // expand all
    void SpeedButton2Click(); // collapse all
    // Lays the tree and text pane out for the current size and ratio.
    void FormResize();
    // The splitter: a press on the window's own surface starts a drag, a move
    // sets the ratio to x / client width, a release ends it.
    void FormMouseDown(int x);
    void FormMouseMove(int x);
    void FormMouseUp();
    bool Dragging() const { return m_dragging; }
    const std::string& HelpFolder() const { return m_helpFolder; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::string m_helpFolder;
    bool m_dragging = false;
};

} // namespace ov
