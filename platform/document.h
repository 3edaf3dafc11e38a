#pragma once

#include <string>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QString>

#include "commandtarget.h"

class CView;

// A document of the document/view pattern: the data one window shows, its title and its views. It is
// opened on a target (a path as the system's bytes, or any string its template passes) and lives as
// long as its window.
class CDocument : public QObject, public CCommandTarget {
    Q_OBJECT

public:
    CDocument() = default;

    const QString& GetTitle() const { return m_title; }
    void SetTitle(const QString& title);

    // False when the document cannot be opened; its template then discards it.
    virtual bool OnOpenDocument(const std::string& target) = 0;

    void AddView(CView* view);
    void RemoveView(CView* view);
    std::vector<CView*> GetViews() const;
    // Tells every view but `sender` that the document changed.
    void UpdateAllViews(CView* sender = nullptr);
    // Closes the windows that show it, which takes the document with them once the event loop runs.
    void CloseWindows();

signals:
    void TitleChanged(const QString& title);

private:
    QString m_title;
    std::vector<QPointer<CView>> m_views;
};
