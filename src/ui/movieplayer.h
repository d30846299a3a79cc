#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

class QMovie;
class QTimer;

namespace ingranix {

// Plays one gear movie (an animated picture file). After setMovie and gotoFrame(1) it shows the
// first frame at rest; play() runs the animation once from the shown frame, then rests again.
// A missing or unreadable file shows the background colour and nothing else. Shown larger than its
// frames, the player plays the larger movie beside the file (see largerpicture.h) when there is one,
// from the same frame on.
class MoviePlayer : public QWidget {
    Q_OBJECT
public:
    explicit MoviePlayer(QWidget *parent = nullptr);
    ~MoviePlayer() override;

    // Replaces the movie, stopping any play, and shows the new one's first frame at rest.
    void setMovie(const QString &path);
    QString movie() const { return path_; }
    // 0x00BBGGRR, as colours are given to the player: 255 is pure red.
    void setBackgroundColor(qint32 bgr);
    QColor backgroundColor() const { return background_; }
    // Frames count from 1. Stops any play and shows that frame at rest; numbers beyond the
    // movie's ends show its first or last frame.
    void gotoFrame(int frame);
    // Plays from the shown frame to the last one, at the movie's own pace, then rests on frame 1.
    // While it plays, a further play() changes nothing.
    void play();

    bool isPlaying() const;
    int currentFrame() const;                    // 1-based; 0 without a movie
    bool hasMovie() const;                       // a readable movie is loaded
    QString shownFile() const { return shown_; } // the file playing: the movie's own or its larger one

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QMovie *open(const QString &file); // a readable movie showing its first frame, or null
    void chooseFile();                 // the movie's own file, or the larger one when shown larger
    void showFrame(int index);         // 0-based; steps forward from the shown frame, rewinding if needed
    void advance();                    // one step of play(): the next frame, or back to rest after the last
    void rest();
    QPixmap shownFrame(); // the movie's current frame laid on the background colour

    QString path_;
    QColor background_{Qt::black};
    QMovie *movie_ = nullptr;       // the one shown: own_ or largerMovie_
    QMovie *own_ = nullptr;         // the movie's own file
    QMovie *largerMovie_ = nullptr; // the larger file, once it was needed
    QTimer *stepTimer_ = nullptr;   // single-shot, runs only while playing
    int frameCount_ = 0;            // 0 when the format does not tell
    QString shown_;                 // the file movie_ plays
    QString larger_;                // the larger movie beside path_; empty when there is none
    QSize designed_;                // the size of the movie's own frames
    QPixmap shownFrame_;            // the frame last shown, laid on the background colour
    int shownFrameNumber_ = -1;
};

} // namespace ingranix
