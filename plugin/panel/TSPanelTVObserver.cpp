#include "CObserver.h"
#include "ISubject.h"
#include "ITSPanelDataModel.h"
#include "ITreeViewMgr.h"
#include "ImplementationRecord.h"
#include "InterfacePtr.h"
#include "TSID.h"
#include "TSPanelUtils.h"
#include "WidgetIDs.h"

// Watches the project tree widget: each time it is shown the tree is built again from the
// cached project list and the front-document follower starts; while it is shown, every
// change of the tree's selection updates the panel's buttons.
class TSPanelTVObserver : public CObserver {
public:
    explicit TSPanelTVObserver(IPMUnknown* boss) : CObserver(boss, PMIID(0x11a)) {}

    void AutoAttach() override {
        InitTree();
        InterfacePtr<ISubject> subject(this, IID_OF<ISubject>());
        if (!subject) return;
        subject->AttachObserver(this, kSelectionProtocol, PMIID(0x11a));
        InterfacePtr<IObserver> follower(this, kTSTreeSelectionObserverInterfaceID);
        if (follower) follower->AutoAttach();
    }

    void AutoDetach() override {
        InterfacePtr<ISubject> subject(this, IID_OF<ISubject>());
        if (!subject) return;
        subject->DetachObserver(this, kSelectionProtocol, PMIID(0x11a));
        InterfacePtr<IObserver> follower(this, kTSTreeSelectionObserverInterfaceID);
        if (follower) follower->AutoDetach();
    }

    void Update(const ClassID& change, ISubject*, const PMIID&, void*) override {
        if (change == kListSelectionChangedMessage) TSPanelUtils::UpdateTSPanelBtnStates();
    }

private:
    static constexpr PMIID kSelectionProtocol{0x66a};

    void InitTree() {
        InterfacePtr<ITSPanelDataModel> model(this, kTSPanelDataModelInterfaceID);
        if (!model) return;
        model->Rebuild();
        // The rows still hold node ids of the tree just dropped: rebuild them from the new root.
        InterfacePtr<ITreeViewMgr> tree(this, IID_OF<ITreeViewMgr>());
        if (!tree) return;
        tree->ClearTree(kFalse);
        tree->ChangeRoot(kTrue);
        TSPanelUtils::UpdateTSPanelBtnStates();
    }
};

CREATE_PMINTERFACE(TSPanelTVObserver, kTSPanelTVObserverImpl);
