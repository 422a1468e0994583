#include "host/notices_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "host/notice_inbox.h"
#include "platform/date_time.h"
#include "platform/exceptions.h"

namespace {

enum Column { kReceived, kText, kReadAt };
// Item data of the first column: the notice's number and whether it is still unread.
constexpr int kNumberRole = Qt::UserRole;
constexpr int kUnreadRole = Qt::UserRole + 1;

bool Unread(const QTreeWidgetItem* item) {
    return item->data(kReceived, kUnreadRole).toBool();
}

QString DateTimeText(TDateTime value) {
    return QString::fromStdString(FormatDateTime("dd/mm/yyyy hh:nn", value));
}

}  // namespace

NoticesWindow::NoticesWindow(NoticeInbox& inbox, QWidget* parent)
    : QWidget(parent), m_inbox(inbox) {
    setWindowTitle(QStringLiteral("Avisos"));
    m_list = new QTreeWidget(this);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setWordWrap(true);
    m_list->setHeaderLabels(
        {QStringLiteral("Recebido em"), QStringLiteral("Aviso"), QStringLiteral("Lido em")});
    m_list->header()->setSectionResizeMode(kReceived, QHeaderView::ResizeToContents);
    m_list->header()->setSectionResizeMode(kText, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(kReadAt, QHeaderView::ResizeToContents);
    m_list->header()->setStretchLastSection(false);
    m_summary = new QLabel(this);
    m_error = new QLabel(this);
    m_error->setStyleSheet(QStringLiteral("color: #a00000"));
    m_error->setWordWrap(true);
    m_error->hide();

    m_markRead = new QPushButton(QStringLiteral("Marcar como &lido"), this);
    m_markAll = new QPushButton(QStringLiteral("Marcar &todos como lidos"), this);
    auto* reload = new QPushButton(QStringLiteral("&Atualizar"), this);
    auto* close = new QPushButton(QStringLiteral("&Fechar"), this);
    m_markRead->setToolTip(QStringLiteral("Marca os avisos selecionados como lidos"));
    reload->setToolTip(QStringLiteral("Lê os avisos novamente do servidor"));
    connect(m_markRead, &QPushButton::clicked, this, &NoticesWindow::markSelected);
    connect(m_markAll, &QPushButton::clicked, this, &NoticesWindow::markAll);
    connect(reload, &QPushButton::clicked, this, &NoticesWindow::refresh);
    // Inside the host's MDI area the frame around this widget is what closes.
    connect(close, &QPushButton::clicked, this, [this] {
        auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
        frame ? frame->close() : QWidget::close();
    });
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &NoticesWindow::updateButtons);
    connect(m_list, &QTreeWidget::itemActivated, this, &NoticesWindow::markSelected);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_summary, 1);
    buttons->addWidget(m_markRead);
    buttons->addWidget(m_markAll);
    buttons->addWidget(reload);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_error);
    layout->addLayout(buttons);
    resize(760, 340);
    showNotices();
}

QString NoticesWindow::errorText() const {
    return m_error->text();
}

bool NoticesWindow::attempt(const QString& what, const std::function<void()>& action) {
    try {
        action();
        m_error->clear();
        m_error->hide();
        return true;
    } catch (const Exception& e) {
        m_error->setText(what + QString::fromStdString(e.Message()));
        m_error->show();
        return false;
    }
}

bool NoticesWindow::refresh() {
    const bool ok =
        attempt(QStringLiteral("Não foi possível ler os avisos: "), [this] { m_inbox.reload(); });
    showNotices();
    if (!ok) emit unreadChanged(-1);
    return ok;
}

void NoticesWindow::showNotices() {
    m_list->clear();
    for (const Notice& n : m_inbox.notices()) {
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(kReceived, DateTimeText(n.received));
        item->setText(kText, QString::fromStdString(n.text));
        item->setToolTip(kText, item->text(kText));
        item->setText(kReadAt, n.read() ? DateTimeText(n.readAt) : QStringLiteral("não lido"));
        item->setData(kReceived, kNumberRole, QVariant::fromValue<qlonglong>(n.number));
        item->setData(kReceived, kUnreadRole, !n.read());
        QFont font = item->font(kText);
        font.setBold(!n.read());
        for (int c = kReceived; c <= kReadAt; ++c)
            item->setFont(c, font);
    }
    const int unread = m_inbox.unreadCount();
    const int total = static_cast<int>(m_inbox.notices().size());
    m_summary->setText(total == 0 ? QStringLiteral("Nenhum aviso.")
                                  : QStringLiteral("%1 %2, %3 não %4")
                                        .arg(total)
                                        .arg(total == 1 ? "aviso" : "avisos")
                                        .arg(unread)
                                        .arg(unread == 1 ? "lido" : "lidos"));
    updateButtons();
    emit unreadChanged(unread);
}

void NoticesWindow::updateButtons() {
    bool unreadSelected = false;
    for (QTreeWidgetItem* item : m_list->selectedItems())
        unreadSelected = unreadSelected || Unread(item);
    m_markRead->setEnabled(unreadSelected);
    m_markAll->setEnabled(m_inbox.unreadCount() > 0);
}

void NoticesWindow::markSelected() {
    std::vector<int64_t> numbers;
    for (QTreeWidgetItem* item : m_list->selectedItems())
        if (Unread(item)) numbers.push_back(item->data(kReceived, kNumberRole).toLongLong());
    if (numbers.empty()) return;
    attempt(QStringLiteral("Não foi possível marcar o aviso como lido: "), [&] {
        for (int64_t number : numbers)
            m_inbox.markRead(number);
    });
    showNotices();
}

void NoticesWindow::markAll() {
    attempt(QStringLiteral("Não foi possível marcar os avisos como lidos: "),
            [this] { m_inbox.markAllRead(); });
    showNotices();
}
