#include "tools/usbharness/nodebus.h"

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <stdexcept>

#include "tools/usbharness/usbdescriptors.h"

namespace corvane {

namespace {

constexpr int kBus = 1;

std::string latin1(const std::u16string& text) {
    std::string s;
    for (char16_t c : text) s += c <= 0xFF ? static_cast<char>(c) : '?';
    return s;
}

std::string hex(const std::vector<std::uint8_t>& bytes) {
    std::string s;
    char two[3];
    for (std::uint8_t b : bytes) {
        std::snprintf(two, sizeof two, "%02x", b);
        s += two;
    }
    return s;
}

void complete(UMockdevIoctlClient* client, long result) {
    if (result < 0)
        umockdev_ioctl_client_complete(client, -1, static_cast<int>(-result));
    else
        umockdev_ioctl_client_complete(client, result, 0);
}

}  // namespace

NodeBus::NodeBus() : m_testbed(umockdev_testbed_new()) {}

NodeBus::~NodeBus() {
    for (const auto& node : m_nodes) g_object_unref(node->handler);
    g_object_unref(m_testbed);  // removes the testbed's directory
}

std::string NodeBus::rootDir() const {
    gchar* dir = umockdev_testbed_get_root_dir(m_testbed);
    std::string result = dir;
    g_free(dir);
    return result;
}

void NodeBus::addDevice(std::shared_ptr<DeviceModel> model, std::function<void()> beforeTransfer) {
    auto node = std::make_unique<Node>();
    node->model = std::move(model);
    node->beforeTransfer = std::move(beforeTransfer);
    node->devnum = static_cast<int>(m_nodes.size()) + 2;
    node->descriptors = NodeDescriptors(node->model->identity());

    char devnode[32];
    std::snprintf(devnode, sizeof devnode, "/dev/bus/usb/%03d/%03d", kBus, node->devnum);
    const UsbIdentity& id = node->model->identity();
    char record[1024];
    std::snprintf(record, sizeof record,
                  "P: /devices/usb%d/%d-%d\n"
                  "N: %s\n"
                  "E: DEVNAME=%s\n"
                  "E: SUBSYSTEM=usb\n"
                  "E: DEVTYPE=usb_device\n"
                  "E: BUSNUM=%03d\n"
                  "E: DEVNUM=%03d\n"
                  "A: busnum=%d\n"
                  "A: devnum=%d\n"
                  "A: dev=189:%d\n"
                  "A: idVendor=%04x\n"
                  "A: idProduct=%04x\n"
                  "A: bNumConfigurations=1\n"
                  "A: speed=12\n"
                  "H: descriptors=%s\n",
                  kBus, kBus, node->devnum - 1, devnode + 5, devnode, kBus, node->devnum, kBus, node->devnum,
                  (kBus - 1) * 128 + node->devnum - 1, id.vendor, id.product, hex(node->descriptors).c_str());
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(m_testbed, record, &error)) {
        const std::string message = error->message;
        g_error_free(error);
        throw std::runtime_error("cannot add " + std::string(devnode) + ": " + message);
    }
    char syspath[64];
    std::snprintf(syspath, sizeof syspath, "/sys/devices/usb%d/%d-%d", kBus, kBus, node->devnum - 1);
    // Set apart from the record, whose lines would not survive odd characters in the strings.
    umockdev_testbed_set_attribute(m_testbed, syspath, "manufacturer", latin1(id.manufacturer).c_str());
    umockdev_testbed_set_attribute(m_testbed, syspath, "product", latin1(id.productName).c_str());

    node->handler = umockdev_ioctl_base_new();
    g_signal_connect(node->handler, "handle-ioctl", G_CALLBACK(OnIoctl), node.get());
    g_signal_connect(node->handler, "handle-read", G_CALLBACK(OnRead), node.get());
    g_signal_connect(node->handler, "client-connected", G_CALLBACK(OnConnected), node.get());
    g_signal_connect(node->handler, "client-vanished", G_CALLBACK(OnVanished), node.get());
    if (!umockdev_testbed_attach_ioctl(m_testbed, devnode, node->handler, &error)) {
        const std::string message = error->message;
        g_error_free(error);
        throw std::runtime_error("cannot attach to " + std::string(devnode) + ": " + message);
    }
    m_nodes.push_back(std::move(node));
}

void NodeBus::OnConnected(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer data) {
    static_cast<Node*>(data)->readOffsets[client] = 0;
}

void NodeBus::OnVanished(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer data) {
    static_cast<Node*>(data)->readOffsets.erase(client);
}

gboolean NodeBus::OnRead(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer data) {
    Node& node = *static_cast<Node*>(data);
    if (node.model->unplugged()) {
        complete(client, -ENODEV);
        return TRUE;
    }
    // The node reads as one stream of descriptors from where the last read of this file stopped.
    UMockdevIoctlData* buffer = umockdev_ioctl_client_get_arg(client);
    std::size_t& offset = node.readOffsets[client];
    const std::size_t left = node.descriptors.size() - std::min(offset, node.descriptors.size());
    const std::size_t n = std::min(left, static_cast<std::size_t>(std::max(buffer->data_len, 0)));
    std::copy_n(node.descriptors.begin() + static_cast<std::ptrdiff_t>(offset), n, buffer->data);
    offset += n;
    complete(client, static_cast<long>(n));
    return TRUE;
}

gboolean NodeBus::OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer data) {
    Node& node = *static_cast<Node*>(data);
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    if (node.model->unplugged()) {
        complete(client, -ENODEV);
        return TRUE;
    }
    if (request == USBDEVFS_CONTROL) {
        Control(node, client);
        return TRUE;
    }
    if (request == USBDEVFS_CONNECTINFO) {
        GError* error = nullptr;
        UMockdevIoctlData* info = umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0,
                                                              sizeof(usbdevfs_connectinfo), &error);
        if (info == nullptr) {
            g_error_free(error);
            complete(client, -EFAULT);
            return TRUE;
        }
        auto* connect = reinterpret_cast<usbdevfs_connectinfo*>(info->data);
        connect->devnum = static_cast<unsigned>(node.devnum);
        connect->slow = 0;
        complete(client, 0);
        g_object_unref(info);
        return TRUE;
    }
    // A device that is not a hub answers the hub's port query as the kernel does; anything else
    // this bus does not offer.
    complete(client, request == USBDEVFS_IOCTL ? -ENOSYS : -ENOTTY);
    return TRUE;
}

void NodeBus::Control(Node& node, UMockdevIoctlClient* client) {
    GError* error = nullptr;
    UMockdevIoctlData* setup = umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0,
                                                           sizeof(usbdevfs_ctrltransfer), &error);
    if (setup == nullptr) {
        g_error_free(error);
        complete(client, -EFAULT);
        return;
    }
    const usbdevfs_ctrltransfer transfer = *reinterpret_cast<usbdevfs_ctrltransfer*>(setup->data);
    UMockdevIoctlData* buffer = nullptr;
    if (transfer.wLength > 0) {
        buffer = umockdev_ioctl_data_resolve(setup, offsetof(usbdevfs_ctrltransfer, data), transfer.wLength,
                                             &error);
        if (buffer == nullptr) {
            g_error_free(error);
            g_object_unref(setup);
            complete(client, -EFAULT);
            return;
        }
    }
    if (node.beforeTransfer) node.beforeTransfer();
    std::uint8_t none = 0;
    const int result =
        node.model->control(transfer.bRequestType, transfer.bRequest, transfer.wValue, transfer.wIndex,
                            buffer != nullptr ? buffer->data : &none, transfer.wLength);
    complete(client, result);
    if (buffer != nullptr) g_object_unref(buffer);
    g_object_unref(setup);
}

}  // namespace corvane
