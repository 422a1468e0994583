#include "host/calendars_window.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "base/dialogs.h"
#include "host/calendar_feeds.h"
#include "host/host_panel.h"
#include "platform/date_time.h"

namespace {

enum Column { kName, kAddress, kCreated, kCopy, kRevoke };
enum Kind { kMine, kRoom, kSeries };

const char* const kKindCodes[] = {"O", "S", "R"};

}  // namespace

CalendarsWindow::CalendarsWindow(CalendarFeeds& feeds, QWidget* parent)
    : QWidget(parent), m_feeds(feeds) {
    setWindowTitle(QStringLiteral("Calendários"));
    auto* intro = new QLabel(
        QStringLiteral("Assine estes endereços no seu programa de calendário ou no celular para "
                       "ver as reuniões onde já olha a agenda. Quem tiver um endereço vê o que "
                       "ele mostra: não o divulgue; revogue o que não usar mais."),
        this);
    intro->setWordWrap(true);

    m_table = new QTableWidget(0, 5, this);
    m_table->setHorizontalHeaderLabels({QStringLiteral("Calendário"), QStringLiteral("Endereço"),
                                        QStringLiteral("Criado em"), QString(), QString()});
    m_table->verticalHeader()->hide();
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // One line per feed; a long address loses its middle, the tooltip shows it whole.
    m_table->setWordWrap(false);
    m_table->setTextElideMode(Qt::ElideMiddle);
    QHeaderView* header = m_table->horizontalHeader();
    header->setSectionResizeMode(kName, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(kAddress, QHeaderView::Stretch);
    header->setSectionResizeMode(kCreated, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(kCopy, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(kRevoke, QHeaderView::ResizeToContents);

    m_kind = new QComboBox(this);
    m_kind->addItems({QStringLiteral("Minhas reuniões"), QStringLiteral("Sala da filial"),
                      QStringLiteral("Série de reuniões")});
    m_room = new QComboBox(this);
    m_room->setMinimumContentsLength(18);
    m_series = new QLineEdit(this);
    m_series->setPlaceholderText(QStringLiteral("Número da série"));
    m_series->setMaxLength(10);
    m_create = new QPushButton(QStringLiteral("&Criar calendário"), this);
    connect(m_kind, &QComboBox::currentIndexChanged, this, &CalendarsWindow::updateChoice);
    connect(m_series, &QLineEdit::textChanged, this, &CalendarsWindow::updateChoice);
    connect(m_create, &QPushButton::clicked, this, &CalendarsWindow::createFeed);

    auto* choose = new QHBoxLayout;
    choose->addWidget(new QLabel(QStringLiteral("Novo:"), this));
    choose->addWidget(m_kind);
    choose->addWidget(m_room);
    choose->addWidget(m_series);
    choose->addWidget(m_create);
    choose->addStretch(1);

    m_status = new QLabel(this);
    m_error = host_panel::NewErrorLabel(this);
    auto* reload = new QPushButton(QStringLiteral("&Atualizar"), this);
    auto* close = new QPushButton(QStringLiteral("&Fechar"), this);
    connect(reload, &QPushButton::clicked, this, &CalendarsWindow::refresh);
    connect(close, &QPushButton::clicked, this, [this] { host_panel::CloseFrame(this); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_status, 1);
    buttons->addWidget(reload);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_table, 1);
    layout->addLayout(choose);
    layout->addWidget(m_error);
    layout->addLayout(buttons);
    resize(900, 360);
    updateChoice();
}

QString CalendarsWindow::errorText() const {
    return m_error->text();
}

bool CalendarsWindow::attempt(const QString& what, const std::function<void()>& action) {
    return host_panel::Attempt(m_error, what, action);
}

bool CalendarsWindow::refresh() {
    const bool ok = attempt(QStringLiteral("Não foi possível ler os calendários: "), [this] {
        m_feeds.reload();
        const std::vector<RoomChoice> rooms = m_feeds.rooms();
        m_room->clear();
        for (const RoomChoice& r : rooms)
            m_room->addItem(QString::fromStdString(r.name + " (" + r.code + ")"),
                            QString::fromStdString(r.code));
    });
    showFeeds();
    return ok;
}

void CalendarsWindow::showFeeds() {
    const std::vector<CalendarFeed>& feeds = m_feeds.feeds();
    m_table->setRowCount(static_cast<int>(feeds.size()));
    for (int row = 0; row < static_cast<int>(feeds.size()); ++row) {
        const CalendarFeed& f = feeds[static_cast<size_t>(row)];
        m_table->setItem(row, kName, new QTableWidgetItem(QString::fromStdString(f.description)));
        auto* address = new QTableWidgetItem(
            f.address.empty() ? QStringLiteral("(criado em outra estação: revogue e crie outro)")
                              : QString::fromStdString(f.address));
        if (f.address.empty()) address->setForeground(palette().color(QPalette::PlaceholderText));
        address->setToolTip(address->text());
        m_table->setItem(row, kAddress, address);
        m_table->setItem(row, kCreated,
                         new QTableWidgetItem(QString::fromStdString(
                             FormatDateTime("dd/mm/yyyy hh:nn", f.created))));
        auto* copy = new QPushButton(QStringLiteral("Copiar endereço"), m_table);
        copy->setEnabled(!f.address.empty());
        connect(copy, &QPushButton::clicked, this, [this, row] { copyAddress(row); });
        m_table->setCellWidget(row, kCopy, copy);
        auto* revoke = new QPushButton(QStringLiteral("Revogar"), m_table);
        connect(revoke, &QPushButton::clicked, this, [this, row] { revokeFeed(row); });
        m_table->setCellWidget(row, kRevoke, revoke);
    }
    m_status->setText(feeds.empty()       ? QStringLiteral("Nenhum calendário.")
                      : feeds.size() == 1 ? QStringLiteral("1 calendário")
                                          : QStringLiteral("%1 calendários").arg(feeds.size()));
}

QPushButton* CalendarsWindow::copyButton(int row) const {
    return qobject_cast<QPushButton*>(m_table->cellWidget(row, kCopy));
}

QPushButton* CalendarsWindow::revokeButton(int row) const {
    return qobject_cast<QPushButton*>(m_table->cellWidget(row, kRevoke));
}

void CalendarsWindow::updateChoice() {
    const int kind = m_kind->currentIndex();
    m_room->setVisible(kind == kRoom);
    m_series->setVisible(kind == kSeries);
    m_create->setEnabled(kind != kSeries || !m_series->text().trimmed().isEmpty());
}

void CalendarsWindow::createFeed() {
    const int kind = m_kind->currentIndex();
    const std::string key = kind == kRoom     ? m_room->currentData().toString().toStdString()
                            : kind == kSeries ? m_series->text().trimmed().toStdString()
                                              : std::string();
    CalendarFeed made;
    if (!attempt(QStringLiteral("Não foi possível criar o calendário: "),
                 [&] { made = m_feeds.create(kKindCodes[kind], key); }))
        return;
    showFeeds();
    m_series->clear();
    for (int row = 0; row < m_table->rowCount(); ++row)
        if (m_feeds.feeds()[static_cast<size_t>(row)].number == made.number)
            m_table->selectRow(row);
    m_status->setText(
        QStringLiteral("Calendário criado: copie o endereço e assine-o no seu "
                       "programa de calendário."));
}

void CalendarsWindow::copyAddress(int row) {
    const CalendarFeed& f = m_feeds.feeds().at(static_cast<size_t>(row));
    QApplication::clipboard()->setText(QString::fromStdString(f.address));
    m_status->setText(QStringLiteral("Endereço copiado."));
}

void CalendarsWindow::revokeFeed(int row) {
    const CalendarFeed f = m_feeds.feeds().at(static_cast<size_t>(row));
    if (!CurrentDialogs().Question("Revogar o calendário \"" + f.description +
                                   "\"? Quem o assinou deixa de recebê-lo."))
        return;
    if (attempt(QStringLiteral("Não foi possível revogar o calendário: "),
                [&] { m_feeds.revoke(f.number); })) {
        showFeeds();
        m_status->setText(QStringLiteral("Calendário revogado."));
    }
}
