// The Tetris window: the board frame at the left, the buttons "&Start",
// "&Pause" and "&Exit", the level and score, and the next piece's preview
// below the Pause button. The rules live in TTetrisGame; the board control
// paints the cells the game reports changed into its backing canvas.
//
// The set-up runs when the window is first shown, not on every activation,
// so a change of focus keeps the score, the level and the falling piece.
// Closing frees the window; the main window makes a new one next time.
#pragma once

#include "platform/canvas.h"
#include "tools/game_rng.h"
#include "tools/tetris_game.h"

#include <QWidget>

#include <memory>
#include <string>

class QLabel;
class QPushButton;
class QTimer;

namespace ov {

class IniFile;

// The colour value of a colour code (0 navy ... 8 white).
int32_t tetrisColor(int code);
// Draws one cell of size x size pixels at (x, y): a filled cell in its colour
// inside a grey (left, bottom) and white (right, top) outline, an empty one
// flat.
void paintTetrisCell(TCanvas& canvas, int x, int y, int size, int code);

// A control that shows a canvas.
class TCanvasView : public QWidget {
public:
    TCanvasView(int width, int height, QWidget* parent = nullptr);
    TCanvas& Canvas() { return m_canvas; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TCanvas m_canvas;
};

class TTetro1 : public QWidget {
public:
    static constexpr int CellSize = 14;
    static constexpr int PreviewCell = 9;
    static constexpr int FrameLeft = 1, FrameTop = 2, FrameWidth = 176, FrameHeight = 330;

    // Texts come from section "Tetris" of language; languageName decides
    // whether the game-over message is the built-in English one. rng (kept
    // by the caller) replaces the seeded generator.
    TTetro1(const IniFile& language, const std::string& languageName, Rng* rng = nullptr,
        QWidget* parent = nullptr);
    ~TTetro1() override;

    TTetrisGame& Game() { return *m_game; }

    TCanvasView* Board = nullptr;
    TCanvasView* NextPiece = nullptr;
    QPushButton* BStart = nullptr;
    QPushButton* BPause = nullptr;
    QPushButton* BExit = nullptr;
    QLabel* LLevel = nullptr;
    QLabel* LScore = nullptr;
    QLabel* LLevelValue = nullptr;
    QLabel* LScoreValue = nullptr;
    QTimer* Timer1 = nullptr;
    // How many times the set-up ran.
    int SetUpCount = 0;

    void BStartClick();
    void BPauseClick();
    void BExitClick();
    void Timer1Timer();
    // The keys: Esc closes; Space and Down drop, Left, Right, Up rotates.
    void FormKeyDown(int key);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setUp();
    // Timer, buttons, labels and preview follow the game.
    void sync();
    void paintPreview();

    const IniFile& m_language;
    std::string m_languageName;
    std::unique_ptr<MtRng> m_ownRng;
    std::unique_ptr<TTetrisGame> m_game;
    bool m_setUpDone = false;
    int m_previewType = -1;
    int m_previewColor = -1;
};

} // namespace ov
