// The meeting window's pictures, drawn at run time with QPainter (no image files): the status
// icons of the tool bar's image list imgReuniao, the check-box bitmaps of the participants'
// check column and the glyphs of the window's own buttons. Each is drawn once and cached.
// GUI thread only (needs a QGuiApplication).
#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

namespace reuniao {

// The colour that stands for "transparent" in the check-box bitmaps (olive, RGB 128, 128, 0).
inline QColor TransparentColor() {
    return QColor(128, 128, 0);
}

// imgChecked / imgUnchecked: 16 x 16, olive background, a ticked or empty box.
QPixmap CheckedPicture();
QPixmap UncheckedPicture();

// Entries of the image list imgReuniao; the status tool buttons use indexes 4 (pending),
// 6 (in progress), 5 (cancelled) and 3 (concluded).
enum ReuniaoImage {
    imgMeeting = 0,  // a table with chairs: the window's own icon
    imgGoToDay = 1,
    imgToday = 2,
    imgConcluded = 3,
    imgPending = 4,
    imgCancelled = 5,
    imgInProgress = 6,
    imgFilter = 7,
    imgImport = 8,
    imgParticipants = 9,
    imgCancelMeeting = 10,
    imgReuniaoCount = 11,
};
QPixmap ReuniaoPicture(ReuniaoImage image);
QIcon ReuniaoIcon(ReuniaoImage image);

}  // namespace reuniao
