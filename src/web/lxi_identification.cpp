#include "web/lxi_identification.h"

namespace zz::web {

namespace {

std::string escaped(const std::string &text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string element(const std::string &name, const std::string &text, const char *indent = "  ") {
    return indent + ("<" + name + ">") + escaped(text) + "</" + name + ">\n";
}

}  // namespace

std::string identificationXml(const Identity &id) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<LXIDevice xmlns=\"http://www.lxistandard.org/InstrumentIdentification/1.0\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n";
    xml += element("Manufacturer", id.manufacturer);
    xml += element("Model", id.model);
    xml += element("SerialNumber", id.serialNumber);
    xml += element("FirmwareRevision", id.firmwareRevision);
    xml += element("ManufacturerDescription", id.description);
    if (!id.userDescription.empty()) xml += element("UserDescription", id.userDescription);
    xml +=
        "  <Interface xsi:type=\"NetworkInformation\" InterfaceType=\"LXI\" "
        "IPType=\"IPv4\" InterfaceName=\"SCPI over raw TCP\">\n";
    for (const auto &resource : id.visaResources)
        xml += element("InstrumentAddressString", resource, "    ");
    xml += element("Hostname", id.hostName, "    ");
    for (const auto &address : id.addresses) xml += element("IPAddress", address, "    ");
    xml += "  </Interface>\n</LXIDevice>\n";
    return xml;
}

}  // namespace zz::web
