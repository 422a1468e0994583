// The page breaks of the report body: a caption marked to stay with what follows it is never
// left alone at the bottom of a page.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>

#include "base/report_renderer.h"

namespace {

constexpr double kPageHeight = 300;

struct Body {
    QTextDocument document;
    QTextBlock caption;
};

// `lines` plain lines, then a marked caption and a bordered frame with two lines of text.
void Fill(Body& body, int lines) {
    body.document.setDocumentMargin(0);
    body.document.setPageSize(QSizeF(400, kPageHeight));
    QTextCursor cursor(&body.document);
    for (int i = 0; i < lines; ++i) {
        if (i > 0) cursor.insertBlock();
        cursor.insertText(QStringLiteral("Linha %1").arg(i));
    }
    QTextBlockFormat caption;
    caption.setProperty(kKeepWithNextProperty, true);
    cursor.insertBlock(caption);
    cursor.insertText(QStringLiteral("Ata"));
    body.caption = cursor.block();
    QTextFrameFormat frame;
    frame.setBorder(1);
    frame.setPadding(6);
    cursor.insertFrame(frame);
    cursor.insertText(QStringLiteral("Primeira linha da ata"));
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("Segunda linha da ata"));
}

int TopPage(const QTextBlock& block) {
    const QRectF r = block.document()->documentLayout()->blockBoundingRect(block);
    const QTextLine line = block.layout()->lineAt(0);
    return static_cast<int>((r.top() + line.y() + line.height() - 0.5) / kPageHeight);
}

TEST(KeepCaptionsWithNext, ACaptionNeverEndsAPageApartFromItsBox) {
    int movedCases = 0;
    for (int lines = 0; lines < 40; ++lines) {
        Body body;
        Fill(body, lines);
        const int before = body.document.pageCount();
        const int moved = KeepCaptionsWithNext(body.document, kPageHeight);
        movedCases += moved;
        const QTextBlock box = body.caption.next();
        EXPECT_EQ(TopPage(body.caption), TopPage(box)) << lines << " lines before";
        if (moved) {
            EXPECT_EQ(TopPage(body.caption), TopPage(body.caption.previous()) + 1)
                << "moved to the very next page, " << lines << " lines before";
            EXPECT_LE(body.document.pageCount(), before + 1);
        }
    }
    EXPECT_GT(movedCases, 0) << "some padding puts the caption at a page bottom";
}

TEST(KeepCaptionsWithNext, LeavesCaptionsThatFitAndUnmarkedBlocksAlone) {
    Body body;
    Fill(body, 2);
    EXPECT_EQ(0, KeepCaptionsWithNext(body.document, kPageHeight));
    EXPECT_EQ(0, TopPage(body.caption));
    EXPECT_EQ(0, KeepCaptionsWithNext(body.document, 0)) << "no page size: nothing to keep";
}

}  // namespace
