#include "host/notices_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "host/host_panel.h"
#include "host/notice_inbox.h"
#include "platform/date_time.h"

namespace {

enum Column { kReceived, kText, kReadAt };
enum InvitationColumn { kWhen, kTitle, kOrganiser, kRoom, kAnswer };
// Item data of the first column: the notice's number and whether it is still unread.
constexpr int kNumberRole = Qt::UserRole;
constexpr int kUnreadRole = Qt::UserRole + 1;
// Item data of an invitation: its meeting ("branch/number") and its place in the inbox's list.
constexpr int kMeetingRole = Qt::UserRole + 2;
constexpr int kIndexRole = Qt::UserRole + 3;

bool Unread(const QTreeWidgetItem* item) {
    return item->data(kReceived, kUnreadRole).toBool();
}

QString DateTimeText(TDateTime value) {
    return QString::fromStdString(FormatDateTime("dd/mm/yyyy hh:nn", value));
}

QString AnswerText(const std::string& code) {
    if (code == "A") return QStringLiteral("Aceito");
    if (code == "T") return QStringLiteral("Talvez");
    if (code == "R") return QStringLiteral("Recusado");
    return QStringLiteral("sem resposta");
}

}  // namespace

NoticesWindow::NoticesWindow(NoticeInbox& inbox, QWidget* parent)
    : QWidget(parent), m_inbox(inbox) {
    setWindowTitle(QStringLiteral("Avisos"));
    m_summary = new QLabel(this);
    m_error = host_panel::NewErrorLabel(this);
    m_pages = new QTabWidget(this);
    m_pages->addTab(noticesPage(), QStringLiteral("Avisos"));
    m_pages->addTab(invitationsPage(), QStringLiteral("Convites"));

    auto* reload = new QPushButton(QStringLiteral("&Atualizar"), this);
    auto* close = new QPushButton(QStringLiteral("&Fechar"), this);
    reload->setToolTip(QStringLiteral("Lê os avisos e os convites novamente do servidor"));
    connect(reload, &QPushButton::clicked, this, &NoticesWindow::refresh);
    connect(close, &QPushButton::clicked, this, [this] { host_panel::CloseFrame(this); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_summary, 1);
    buttons->addWidget(reload);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);
    layout->addWidget(m_error);
    layout->addLayout(buttons);
    resize(760, 340);
    showNotices();
    showInvitations();
}

QWidget* NoticesWindow::noticesPage() {
    auto* page = new QWidget(this);
    m_list = new QTreeWidget(page);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setWordWrap(true);
    m_list->setHeaderLabels(
        {QStringLiteral("Recebido em"), QStringLiteral("Aviso"), QStringLiteral("Lido em")});
    m_list->header()->setSectionResizeMode(kReceived, QHeaderView::ResizeToContents);
    m_list->header()->setSectionResizeMode(kText, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(kReadAt, QHeaderView::ResizeToContents);
    m_list->header()->setStretchLastSection(false);
    m_markRead = new QPushButton(QStringLiteral("Marcar como &lido"), page);
    m_markAll = new QPushButton(QStringLiteral("Marcar &todos como lidos"), page);
    m_markRead->setToolTip(QStringLiteral("Marca os avisos selecionados como lidos"));
    connect(m_markRead, &QPushButton::clicked, this, &NoticesWindow::markSelected);
    connect(m_markAll, &QPushButton::clicked, this, &NoticesWindow::markAll);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &NoticesWindow::updateButtons);
    connect(m_list, &QTreeWidget::itemActivated, this, &NoticesWindow::markSelected);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_markRead);
    buttons->addWidget(m_markAll);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    return page;
}

QWidget* NoticesWindow::invitationsPage() {
    auto* page = new QWidget(this);
    m_invitationList = new QTreeWidget(page);
    m_invitationList->setRootIsDecorated(false);
    m_invitationList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_invitationList->setHeaderLabels({QStringLiteral("Data"), QStringLiteral("Reunião"),
                                       QStringLiteral("Responsável"), QStringLiteral("Sala"),
                                       QStringLiteral("Resposta")});
    m_invitationList->header()->setSectionResizeMode(kWhen, QHeaderView::ResizeToContents);
    m_invitationList->header()->setSectionResizeMode(kTitle, QHeaderView::Stretch);
    m_invitationList->header()->setSectionResizeMode(kOrganiser, QHeaderView::ResizeToContents);
    m_invitationList->header()->setSectionResizeMode(kRoom, QHeaderView::ResizeToContents);
    m_invitationList->header()->setSectionResizeMode(kAnswer, QHeaderView::ResizeToContents);
    m_invitationList->header()->setStretchLastSection(false);
    m_accept = new QPushButton(QStringLiteral("Aceitar"), page);
    m_maybe = new QPushButton(QStringLiteral("Talvez"), page);
    m_decline = new QPushButton(QStringLiteral("Recusar"), page);
    connect(m_accept, &QPushButton::clicked, this, [this] { answerSelected("A"); });
    connect(m_maybe, &QPushButton::clicked, this, [this] { answerSelected("T"); });
    connect(m_decline, &QPushButton::clicked, this, [this] { answerSelected("R"); });
    connect(m_invitationList, &QTreeWidget::itemSelectionChanged, this,
            &NoticesWindow::updateButtons);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_accept);
    buttons->addWidget(m_maybe);
    buttons->addWidget(m_decline);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_invitationList, 1);
    layout->addLayout(buttons);
    return page;
}

QString NoticesWindow::errorText() const {
    return m_error->text();
}

bool NoticesWindow::attempt(const QString& what, const std::function<void()>& action) {
    return host_panel::Attempt(m_error, what, action);
}

bool NoticesWindow::refresh() {
    const bool ok = attempt(QStringLiteral("Não foi possível ler os avisos: "), [this] {
        m_inbox.reload();
        m_inbox.reloadInvitations();
    });
    showNotices();
    showInvitations();
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
    const bool chosen = !m_invitationList->selectedItems().isEmpty();
    for (QPushButton* b : {m_accept, m_maybe, m_decline})
        b->setEnabled(chosen);
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

void NoticesWindow::showInvitations() {
    const QString keep = m_invitationList->currentItem()
                             ? m_invitationList->currentItem()->data(kWhen, kMeetingRole).toString()
                             : QString();
    m_invitationList->clear();
    const std::vector<Invitation>& all = m_inbox.invitations();
    for (size_t i = 0; i < all.size(); ++i) {
        const Invitation& inv = all[i];
        auto* item = new QTreeWidgetItem(m_invitationList);
        item->setText(kWhen, DateTimeText(inv.start));
        item->setText(kTitle, QString::fromStdString(inv.title));
        item->setToolTip(kTitle, item->text(kTitle));
        item->setText(kOrganiser, QString::fromStdString(inv.organiser));
        item->setText(kRoom, QString::fromStdString(inv.room));
        item->setText(kAnswer, AnswerText(inv.answer));
        const QString key = QString::fromStdString(inv.branch + "/" + inv.number);
        item->setData(kWhen, kMeetingRole, key);
        item->setData(kWhen, kIndexRole, static_cast<qulonglong>(i));
        QFont font = item->font(kTitle);
        font.setBold(!inv.answered());
        for (int c = kWhen; c <= kAnswer; ++c)
            item->setFont(c, font);
        if (key == keep) {
            m_invitationList->setCurrentItem(item);
            item->setSelected(true);
        }
    }
    const int open = m_inbox.unansweredCount();
    m_pages->setTabText(
        1, open == 0 ? QStringLiteral("Convites") : QStringLiteral("Convites (%1)").arg(open));
    updateButtons();
}

void NoticesWindow::answerSelected(const char* code) {
    const QList<QTreeWidgetItem*> chosen = m_invitationList->selectedItems();
    if (chosen.isEmpty()) return;
    const size_t index = chosen.front()->data(kWhen, kIndexRole).toULongLong();
    const Invitation invitation = m_inbox.invitations().at(index);
    attempt(QStringLiteral("Não foi possível responder ao convite: "),
            [&] { m_inbox.answer(invitation, code); });
    showInvitations();
}
