# -*- coding: utf-8 -*-
# Copyright: the QSP developers

from __future__ import absolute_import, division, print_function
__metaclass__ = type


class ModuleDocFragment(object):
    # The options by which every module of the collection reaches a scanner.
    DOCUMENTATION = r'''
options:
  link:
    description:
      - The link to the scanners.
      - On C(usb) and C(ps2) there is one scanner, and O(port) is not used.
    type: str
    choices: [rs232, usb, ps2]
    default: rs232
  settings_dir:
    description:
      - The QSP settings folder (serial settings, port names), as C(qspctl --settings-dir).
      - Without it, the program's own.
    type: path
  search:
    description:
      - Whether to try other serial settings when a scanner does not answer with those of the
        settings folder. Without it, as the settings folder says.
    type: bool
  executable:
    description:
      - The qspctl program to run. Without it, C(qspctl) on the PATH.
    type: path
requirements:
  - qspctl (the qsp package) on the managed host
notes:
  - The module runs qspctl with C(--json) and reads nothing else; every message is qspctl's.
'''
