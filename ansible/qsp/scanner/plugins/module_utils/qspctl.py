# -*- coding: utf-8 -*-
# Copyright: the QSP developers
"""What the qsp.scanner modules share: the qspctl command line and its JSON document."""

from __future__ import absolute_import, division, print_function
__metaclass__ = type

import json

# The options every module takes to reach a scanner.
LINK_ARGUMENTS = dict(
    link=dict(type='str', choices=['rs232', 'usb', 'ps2'], default='rs232'),
    settings_dir=dict(type='path'),
    search=dict(type='bool'),
    executable=dict(type='path'),
)


class Qspctl(object):
    """Runs qspctl COMMAND ... --json on the managed host and returns its document."""

    def __init__(self, module):
        self.module = module
        params = module.params
        self.program = params['executable'] or module.get_bin_path('qspctl', required=True)
        self.head = [self.program]
        if params['settings_dir']:
            self.head += ['--settings-dir', params['settings_dir']]
        self.link = ['--link', params['link']]
        if params['search'] is not None:
            self.link.append('--search' if params['search'] else '--no-search')

    def run(self, command, args, link=True):
        """The exit status and document of `qspctl COMMAND ARGS --json`, with the link options
        unless not `link`. A run that gives no document fails the module with qspctl's own
        message."""
        argv = self.head + [command] + args + (self.link if link else []) + ['--json']
        rc, out, err = self.module.run_command(argv)
        try:
            return rc, json.loads(out)
        except ValueError:
            self.fail(err, rc=rc, cmd=argv)

    def fail(self, message, **extra):
        text = message.strip()
        if text.startswith('qspctl: '):
            text = text[len('qspctl: '):]
        self.module.fail_json(msg=text or 'qspctl gave no output', **extra)


def failures(document):
    """'PORT: message' of each scanner that failed, one per line."""
    return '\n'.join('%s: %s' % (s['port'], s['message'])
                     for s in document.get('scanners', []) if s.get('result') == 'failed')
