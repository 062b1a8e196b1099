#include "CliCommands.h"

#include <cstdio>

#include "canopen/CANopenNode.h"
#include "CliDiff.h"
#include "CliRecord.h"
#include "CliTexts.h"
#include "description/QVTDataType.h"
#include "description/QVTDevice.h"
#include "document/CommissioningFile.h"
#include "document/NodeSearch.h"
#include "document/ParameterCompare.h"
#include "document/ParameterTransfer.h"
#include "document/ParameterValue.h"
#include "document/QVTDoc.h"
#include "download/Download.h"
#include "FixedConnectChooser.h"
#include "GivenFileUserInterface.h"
#include "MessageFormat.h"
#include "OperationCommands.h"
#include "OperationOptions.h"
#include "settings/NumberParse.h"
#include "TerminalDownloadProgress.h"
#include "TerminalSearchView.h"
#include "TextTable.h"
#include "ui/MessageIds.h"
#include "ui/MessageTexts.h"

namespace {

ovro::ConnectDeviceChoice ConnectChoice(const CCliSession& session, bool download, bool store)
{
    ovro::ConnectDeviceChoice choice;
    choice.result = ovro::ConnectDeviceChoice::Connect;
    choice.nodeId = session.NodeId();
    choice.baudRate = session.BaudRate();
    choice.download = download;
    choice.store = store;
    return choice;
}

std::string ObjectText(const ovro::CQVTParameter& p)
{
    return StringPrintf("%04X/%02X", static_cast<unsigned>(p.index), static_cast<unsigned>(p.subIndex));
}

}  // namespace

int CCliCommands::Run()
{
    const std::string& c = session_.Options().command;
    if (c == "scan")
        return Scan();
    if (c == "info")
        return Info();
    if (c == "upload")
        return Upload();
    if (c == "download")
        return Download();
    if (c == "store")
        return Confirmed(&ovro::CQVTDoc::Store);
    if (c == "reset")
        return Confirmed(&ovro::CQVTDoc::Reset);
    if (c == "restore")
        return Confirmed(&ovro::CQVTDoc::Restore);
    if (c == "read")
        return Read();
    if (c == "write")
        return Write();
    if (c == "configure")
        return Configure();
    if (c == "show")
        return Show();
    if (COperationOptions::IsCommand(c))
        return COperationCommands(session_).Run();
    if (c == "record")
        return CCliRecord(session_).Record();
    if (c == "export")
        return CCliRecord(session_).Export();
    if (c == "diff")
        return Diff();
    if (c == "firmware")
        return Firmware();
    return session_.UsageError("unknown command '" + c + "'");
}

int CCliCommands::StartBus()
{
    if (!session_.LoadDescription())
        return CCliSession::kFailure;
    return session_.OpenInterface();
}

bool CCliCommands::NewDocument(ovro::CQVTDoc& doc)
{
    return doc.OnNewDocument() && !session_.Ui().FailureShown();
}

int CCliCommands::Scan()
{
    if (const int status = StartBus(); status != CCliSession::kSuccess)
        return status;
    CTerminalSearchView view(session_.Out(), session_.Err(), session_.Ui());
    ovro::CNodeSearch search(session_.Master(), session_.Description(), session_.Ui(), view);
    ovro::CNodeSearch::Range range;
    range.first = session_.Options().first;
    range.last = session_.Options().last;
    range.baudRate = session_.BaudRate();
    std::uint8_t chosenNodeId = session_.NodeId();
    std::uint8_t chosenBaudRate = range.baudRate;
    search.Search(range, chosenNodeId, chosenBaudRate);
    return session_.Result(!search.Results().empty());
}

int CCliCommands::Info()
{
    if (const int status = StartBus(); status != CCliSession::kSuccess)
        return status;
    CFixedConnectChooser chooser(ConnectChoice(session_, false, false));
    ovro::CQVTDoc doc(session_.Environment(&chooser));
    if (!NewDocument(doc))
        return session_.Result(false);
    // Online, Connect shows what the drive says about itself.
    doc.OnConnect();
    session_.Out() << "Model: " << ovro::CCommissioning::ModelName(doc.Model()) << '\n' << doc.StatusText() << '\n';
    doc.OnCloseDocument();
    return session_.Result(true);
}

int CCliCommands::Upload()
{
    const std::string& path = session_.Options().arguments[0];
    if (const int status = StartBus(); status != CCliSession::kSuccess)
        return status;
    CFixedConnectChooser chooser(ConnectChoice(session_, false, false));
    ovro::CQVTDoc doc(session_.Environment(&chooser));
    // A failed upload writes nothing: an incomplete document is no backup.
    const bool ok = NewDocument(doc) && doc.OnSaveDocument(path);
    doc.OnCloseDocument();
    return session_.Result(ok);
}

int CCliCommands::Download()
{
    const std::string& path = session_.Options().arguments[0];
    if (const int status = StartBus(); status != CCliSession::kSuccess)
        return status;
    CFixedConnectChooser chooser(ConnectChoice(session_, true, session_.Options().store));
    ovro::CQVTDoc doc(session_.Environment(&chooser));
    bool ok = doc.OnOpenDocument(path);
    // A drive that could not be connected leaves the document offline
    // without a word; here that is a failure.
    if (ok && !session_.Ui().FailureShown())
        ok = doc.IsNodeConnected(true);
    doc.OnCloseDocument();
    return session_.Result(ok);
}

int CCliCommands::Firmware()
{
    if (const int status = StartBus(); status != CCliSession::kSuccess)
        return status;
    CFixedConnectChooser chooser(ConnectChoice(session_, false, false));
    // The command's file dialog takes the file of the command line.
    CGivenFileUserInterface ui(session_.Ui(), session_.Options().arguments[0]);
    ovro::DocumentEnvironment env = session_.Environment(&chooser);
    env.ui = &ui;
    ovro::CQVTDoc doc(env);
    bool ok = NewDocument(doc);
    if (ok) {
        CTerminalDownloadView view(session_.Err());
        const auto download = [&](const std::string& loader, const std::string& file, CCANopenNode& node) {
            CDownload firmware(session_.Ui(), view);
            return firmware.Download(loader, file, CDownload::kPageSize, &node);
        };
        // The saved settings stay as they are: the chosen file is not remembered.
        std::string appFile = session_.AppFileName();
        const std::optional<std::string>& sll = session_.Options().sll;
        ok = doc.OnFirmwareUpdate(download, sll ? *sll : session_.LoaderPath(), appFile);
    }
    doc.OnCloseDocument();
    return session_.Result(ok);
}

int CCliCommands::Confirmed(bool (ovro::CQVTDoc::*command)())
{
    if (const int status = StartBus(); status != CCliSession::kSuccess)
        return status;
    CFixedConnectChooser chooser(ConnectChoice(session_, false, false));
    ovro::CQVTDoc doc(session_.Environment(&chooser));
    bool ok = NewDocument(doc) && (doc.*command)();
    doc.OnCloseDocument();
    if (!ok && session_.Ui().Declined() && !session_.Ui().FailureShown())
        session_.Err() << CCliOptions::kProgram << ": not done: the question was answered No\n";
    return session_.Result(ok);
}

std::optional<ovro::CQVTParameter> CCliCommands::ObjectOf(int& status)
{
    const std::vector<std::string>& args = session_.Options().arguments;
    ovro::CQVTParameter p;
    if (!ParseU16(args[0].c_str(), p.index)) {
        status = session_.UsageError("'" + args[0] + "' is not an object index (0...0xFFFF)");
        return std::nullopt;
    }
    if (!ParseU8(args[1].c_str(), p.subIndex)) {
        status = session_.UsageError("'" + args[1] + "' is not a sub-index (0...0xFF)");
        return std::nullopt;
    }
    ovro::CCommissioning& description = session_.Description();
    const ovro::CQVTParameter* known = nullptr;
    for (int model : {ovro::CCommissioning::ModelK315, ovro::CCommissioning::ModelH315})
        if (known == nullptr && description.GetDevice(model) != nullptr)
            known = description.GetDevice(model)->FindParameter(p.index, p.subIndex);
    if (known != nullptr)
        p = *known;
    p.Clear();
    if (const std::optional<std::string>& type = session_.Options().type) {
        p.dataType = ovro::DataTypeCode(*type);
        if (p.dataType == ovro::QvtUnknown) {
            status = session_.UsageError("unknown data type '" + *type +
                                         "' (Integer8, Integer16, Integer32, Unsigned8, Unsigned16, Unsigned32, "
                                         "Visible String, Octet String, Date, Time Of Day)");
            return std::nullopt;
        }
    } else if (known == nullptr) {
        status = session_.UsageError("object " + ObjectText(p) + " is not in the description: give --type");
        return std::nullopt;
    }
    return p;
}

std::string CCliCommands::NodeErrorText(const CCANopenNode& node) const
{
    if (node.LastError() == COP_ERR_ABORTED)
        return CCANopenNode::AbortText(node.LastAbort());
    return session_.Description().GetErrorText(node.LastError());
}

int CCliCommands::Read()
{
    if (!session_.LoadDescription())
        return CCliSession::kFailure;
    int status = CCliSession::kSuccess;
    std::optional<ovro::CQVTParameter> p = ObjectOf(status);
    if (!p)
        return status;
    if (status = session_.OpenInterface(); status != CCliSession::kSuccess)
        return status;
    const std::uint8_t nodeId = session_.NodeId();
    CCANopenNode* node = nullptr;
    if (!session_.Master().ConnectNode(nodeId, &node) || node == nullptr) {
        session_.Ui().ShowMessage(MessageSeverity::Error, MessageIcon::Exclamation,
                                  FormatMessage(kMsgNodeNotAdded, static_cast<int>(nodeId)));
        return CCliSession::kFailure;
    }
    const bool ok = ovro::CParameterTransfer::Read(*p, *node) == ovro::CParameterTransfer::Done;
    if (ok)
        session_.Out() << CMessageFormat::Utf8(ovro::CParameterValue::GetValueText(*p, false)) << '\n';
    else
        session_.Ui().ShowMessage(MessageSeverity::Error, MessageIcon::Exclamation,
                                  StringPrintf(CliTexts::kReadFailed, static_cast<unsigned>(p->index),
                                               static_cast<unsigned>(p->subIndex), static_cast<unsigned>(nodeId),
                                               NodeErrorText(*node).c_str()));
    session_.Master().DisconnectNode(node);
    return session_.Result(ok);
}

int CCliCommands::Write()
{
    if (!session_.LoadDescription())
        return CCliSession::kFailure;
    int status = CCliSession::kSuccess;
    std::optional<ovro::CQVTParameter> p = ObjectOf(status);
    if (!p)
        return status;
    const std::string& value = session_.Options().arguments[2];
    if (!ovro::CParameterValue::SetValueText(*p, value))
        return session_.UsageError("'" + value + "' is not a value of the data type of object " + ObjectText(*p));
    if (status = session_.OpenInterface(); status != CCliSession::kSuccess)
        return status;
    const std::uint8_t nodeId = session_.NodeId();
    CCANopenNode* node = nullptr;
    if (!session_.Master().ConnectNode(nodeId, &node) || node == nullptr) {
        session_.Ui().ShowMessage(MessageSeverity::Error, MessageIcon::Exclamation,
                                  FormatMessage(kMsgNodeNotAdded, static_cast<int>(nodeId)));
        return CCliSession::kFailure;
    }
    std::uint32_t abort = 0;
    const ovro::CParameterTransfer::Result result = ovro::CParameterTransfer::Write(*p, *node, &abort);
    const bool ok = result == ovro::CParameterTransfer::Done || result == ovro::CParameterTransfer::Confirmed;
    if (!ok) {
        // A refused write is told by its own abort code, not the read-back's.
        const std::string error = result == ovro::CParameterTransfer::Refused
                                      ? std::string(CCANopenNode::AbortText(abort))
                                      : NodeErrorText(*node);
        session_.Ui().ShowMessage(MessageSeverity::Error, MessageIcon::Exclamation,
                                  StringPrintf(CliTexts::kWriteFailed, static_cast<unsigned>(p->index),
                                               static_cast<unsigned>(p->subIndex), static_cast<unsigned>(nodeId),
                                               error.c_str()));
    }
    session_.Master().DisconnectNode(node);
    return session_.Result(ok);
}

int CCliCommands::Configure()
{
    if (const int status = StartBus(); status != CCliSession::kSuccess)
        return status;
    CFixedConnectChooser chooser(ConnectChoice(session_, false, false));
    ovro::CQVTDoc doc(session_.Environment(&chooser));
    bool ok = NewDocument(doc);
    if (ok) {
        // As the document header does when the user edits the node settings;
        // the download then changes only those.
        ovro::CQVTDevice& device = *doc.Device();
        device.nodeId = *session_.Options().newNodeId;
        device.nodeIdChanged = true;
        device.baudRate = *session_.Options().newBaudRate;
        device.baudRateChanged = true;
        ok = doc.Download();
        if (ok)
            session_.Out() << doc.StatusText() << '\n';
    }
    doc.OnCloseDocument();
    return session_.Result(ok);
}

std::string CCliCommands::DocumentText(const ovro::CQVTDevice& d)
{
    auto field = [](const char* name, const std::string& value) {
        std::string line = name;
        if (!value.empty()) {
            line.resize(11, ' ');
            line += value;
        }
        return CMessageFormat::Utf8(line) + '\n';
    };
    std::string text = "[Commissioning]\n";
    text += field("Type", d.typeName);
    text += field("Name", d.name);
    text += field("Text", d.text);
    text += field("Date", d.date);
    text += "\n[NodeSettings]\n";
    text += field("Node-ID", d.GetNodeIdText());
    text += field("Baud rate", ovro::CNodeSearch::BaudText(static_cast<std::uint8_t>(d.baudRate)));
    for (const ovro::CQVTSection& s : d.sections) {
        CTextTable table({"Parameter", "Object", "Value", "Unit"});
        for (const ovro::CQVTParameter& p : s.parameters)
            table.AddRow({p.name, ObjectText(p), ovro::CParameterValue::GetValueText(p, true), p.unit});
        text += "\n[" + CMessageFormat::Utf8(s.name) + "]\n" + table.Text("  ");
    }
    return text;
}

int CCliCommands::Show()
{
    const std::string& path = session_.Options().arguments[0];
    if (!session_.LoadDescription())
        return CCliSession::kFailure;
    ovro::CCommissioning& description = session_.Description();
    if (!ovro::CCommissioningFile::Read(description, path, ovro::CCommissioning::ModelNone, true) ||
        description.GetCurrentDevice() == nullptr) {
        session_.Ui().ShowMessage(MessageSeverity::Error, MessageIcon::Stop,
                                  FormatMessage(kMsgCantReadFile, path.c_str()));
        return CCliSession::kFailure;
    }
    session_.Out() << DocumentText(*description.GetCurrentDevice());
    return session_.Result(true);
}

int CCliCommands::Diff()
{
    const std::vector<std::string>& args = session_.Options().arguments;
    const std::string path = args.empty() ? std::string() : args[0];
    if (const int status = StartBus(); status != CCliSession::kSuccess)
        return status;
    CFixedConnectChooser chooser(ConnectChoice(session_, false, false));
    ovro::CQVTDoc doc(session_.Environment(&chooser));
    if (!NewDocument(doc))
        return session_.Result(false);
    ovro::CQVTDevice& device = *doc.Device();
    ovro::CParameterCompare compare;
    if (!compare.ReadDrive(device, *doc.Node())) {
        session_.Ui().ShowMessage(MessageSeverity::Error, MessageIcon::Exclamation,
                                  FormatMessage(63522, doc.NodeId(), NodeErrorText(*doc.Node()).c_str()));
        doc.OnCloseDocument();
        return CCliSession::kFailure;
    }
    if (!path.empty()) {
        // The document's values in place of the uploaded ones.
        if (!ovro::CCommissioningFile::Read(session_.Description(), path, doc.Model(), false)) {
            session_.Ui().ShowMessage(MessageSeverity::Error, MessageIcon::Stop, FormatMessage(63518, path.c_str()));
            doc.OnCloseDocument();
            return CCliSession::kFailure;
        }
    } else {
        // The factory settings as the document: each parameter at its default.
        for (ovro::CQVTSection& section : device.sections) {
            for (ovro::CQVTParameter& parameter : section.parameters) {
                parameter.Clear();
                ovro::CParameterValue::SetValueText(parameter, parameter.defaultValue);
            }
        }
    }
    const std::vector<ovro::CParameterCompare::Row> rows = compare.Rows(device);
    session_.Out() << CCliDiff::Text(rows, path);
    const ovro::CParameterCompare::Summary s = ovro::CParameterCompare::Summarize(rows);
    doc.OnCloseDocument();
    if (session_.Ui().FailureShown())
        return CCliSession::kFailure;
    return s.notDownloaded + s.changedInDrive + s.notRead == 0 ? CCliSession::kSuccess : CCliSession::kFailure;
}
