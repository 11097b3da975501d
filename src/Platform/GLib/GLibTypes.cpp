#include "Platform/GLib/GLibTypes.h"

#include <gio/gio.h>
#include <libecal/libecal.h>
#include <libedataserver/libedataserver.h>
#include <libsecret/secret.h>

void registerGLibTypes() {
    for (const GType type :
         {G_TYPE_DBUS_PROXY, G_TYPE_DBUS_OBJECT_MANAGER_CLIENT, SECRET_TYPE_SERVICE, SECRET_TYPE_COLLECTION,
          SECRET_TYPE_ITEM, E_TYPE_SOURCE_REGISTRY, E_TYPE_CAL_CLIENT})
        g_type_class_unref(g_type_class_ref(type));
}
