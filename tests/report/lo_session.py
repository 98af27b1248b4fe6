"""A headless LibreOffice reached through Python-UNO, with a profile of its
own so that it never meets a user's running office."""
import os
import shutil
import subprocess
import tempfile
import time

import uno
from com.sun.star.beans import PropertyValue
from com.sun.star.connection import NoConnectException


class LibreOffice:
    def __init__(self):
        self.profile = tempfile.mkdtemp(prefix="k4-lo-profile-")
        pipe = f"k4report{os.getpid()}"
        self.process = subprocess.Popen(
            ["soffice", "--headless", "--invisible", "--nologo", "--norestore", "--nodefault",
             f"-env:UserInstallation={uno.systemPathToFileUrl(self.profile)}",
             f"--accept=pipe,name={pipe};urp;StarOffice.ComponentContext"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
        deadline = time.time() + 120
        while True:
            try:
                context = resolver.resolve(f"uno:pipe,name={pipe};urp;StarOffice.ComponentContext")
                break
            except NoConnectException:
                if time.time() > deadline or self.process.poll() is not None:
                    self.close()
                    raise RuntimeError("LibreOffice did not start")
                time.sleep(0.3)
        self.desktop = context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", context)

    def open(self, path):
        hidden = PropertyValue()
        hidden.Name, hidden.Value = "Hidden", True
        return self.desktop.loadComponentFromURL(uno.systemPathToFileUrl(os.path.abspath(path)), "_blank", 0,
                                                 (hidden,))

    def close(self):
        try:
            if getattr(self, "desktop", None) is not None:
                self.desktop.terminate()
        except Exception:  # the office may already be gone; the process wait below settles it
            pass
        try:
            self.process.wait(timeout=30)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        shutil.rmtree(self.profile, ignore_errors=True)
