// TDBNavigator: first / prior / next / last (and optionally insert, delete, edit, post,
// cancel, refresh) buttons acting on a data source's dataset. Buttons follow the dataset:
// first/prior are disabled at the first row, next/last at the last. Actions pass the guard.
#pragma once

#include <QWidget>
#include <functional>
#include <map>

#include "platform/data_source.h"

class QToolButton;

enum TNavigateBtn {
    nbFirst,
    nbPrior,
    nbNext,
    nbLast,
    nbInsert,
    nbDelete,
    nbEdit,
    nbPost,
    nbCancel,
    nbRefresh
};

class TDBNavigator : public QWidget, public TDataSourceListener {
    Q_OBJECT
  public:
    explicit TDBNavigator(QWidget* parent = nullptr);
    ~TDBNavigator() override;

    TDataSource* DataSource() const { return m_source; }
    void SetDataSource(TDataSource* source);
    // Which buttons show (default: first, prior, next, last).
    void SetVisibleButtons(std::initializer_list<TNavigateBtn> buttons);
    QToolButton* Button(TNavigateBtn button) const;
    // Does what pressing `button` does (through the guard); false when it raised.
    bool BtnClick(TNavigateBtn button);

    // Before the action; raising (EAbort) cancels it.
    std::function<void(TNavigateBtn button)> BeforeAction;
    // After the action.
    std::function<void(TNavigateBtn button)> OnClick;

    void ActiveChanged() override { updateButtons(); }
    void StateChanged() override { updateButtons(); }
    void DataSetChanged() override { updateButtons(); }
    void DataSourceDestroyed(TDataSource& source) override;

  private:
    void updateButtons();
    TDataSource* m_source = nullptr;
    std::map<TNavigateBtn, QToolButton*> m_buttons;
};
