# Kestrova: build, run and test on Debian 12.
BUILD ?= build
JOBS  ?= 2
PACKAGES = g++ make cmake pkg-config qt6-base-dev qt6-svg-dev libqscintilla2-qt6-dev \
           libpugixml-dev libxslt1-dev libxml2-dev libgtest-dev xvfb xauth \
           xsltproc libxml2-utils fonts-dejavu-core locales clang libclang-rt-dev \
           qt6-translations-l10n libqscintilla2-qt6-l10n
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
EXAMPLE_OUT = $(BUILD)/example
# Fuzzing (clang++, libFuzzer): its own build folder; each target runs
# FUZZ_SECONDS in `make fuzz`, FUZZ_SMOKE_SECONDS in `make check`.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_SMOKE_SECONDS ?= 3
# GNU Gama's gama-local for the interop tests and the example's adjustment:
# GAMA_LOCAL from the environment, else the PATH, else the shared tools
# beside the repository. Tests that need it are skipped without it.
# The compiler cache, when the machine has one (not needed to build).
CCACHE_LAUNCHER = $(if $(shell command -v ccache 2>/dev/null),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
GAMA_LOCAL ?= $(or $(shell command -v gama-local 2>/dev/null),$(wildcard $(abspath $(CURDIR)/../shared/tools/gama-local)))
export GAMA_LOCAL

# The Debian package, built by CPack from the install rules; `make check`
# unpacks it into PKG_ROOT and runs the packaged program from there.
VERSION := $(shell grep -o 'kestrova VERSION [0-9.]*' CMakeLists.txt | cut -d' ' -f3)
ARCH := $(shell dpkg --print-architecture 2>/dev/null || echo amd64)
DEB = $(BUILD)/kestrova_$(VERSION)_$(ARCH).deb
PKG_ROOT = $(BUILD)/paquet

.PHONY: all deps build run check check-deb deb fuzz gui bench install clean

all: build

# Installs only what is missing, then makes sure the French locale exists
# (one test runs the console under fr_FR.UTF-8).
deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installation de :$$missing"; \
	  $(SUDO) apt-get update && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y --no-install-recommends $$missing; \
	fi
	@if ! locale -a 2>/dev/null | grep -qi '^fr_FR\.utf-\?8$$'; then \
	  $(SUDO) sed -i 's/^# *fr_FR.UTF-8 UTF-8/fr_FR.UTF-8 UTF-8/' /etc/locale.gen; \
	  grep -q '^fr_FR.UTF-8 UTF-8' /etc/locale.gen || echo 'fr_FR.UTF-8 UTF-8' | $(SUDO) tee -a /etc/locale.gen >/dev/null; \
	  $(SUDO) locale-gen; \
	fi

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CCACHE_LAUNCHER)
	cmake --build $(BUILD) -j$(JOBS)

run: build
	@mkdir -p $(EXAMPLE_OUT)
	cp examples/Kestrova.ini $(EXAMPLE_OUT)/Kestrova.ini
	Kestrova=$(CURDIR)/$(EXAMPLE_OUT) ./$(BUILD)/kestrova -x crt2obs -i examples/chantier.crt -o $(EXAMPLE_OUT)/chantier
	Kestrova=$(CURDIR)/$(EXAMPLE_OUT) ./$(BUILD)/kestrova -x obs2gkf -i $(EXAMPLE_OUT)/chantier.obs -c examples/chantier.cor -o $(EXAMPLE_OUT)/chantier_reseau
	@echo "Fichiers écrits dans $(EXAMPLE_OUT) :"
	@ls -l $(EXAMPLE_OUT)
	@# The network adjusted by gama-local (skipped, saying so, when it is absent).
	Kestrova=$(CURDIR)/$(EXAMPLE_OUT) ./$(BUILD)/kestrova -x adjust -i $(EXAMPLE_OUT)/chantier.obs -c examples/chantier.cor -o $(EXAMPLE_OUT)/chantier_ajuste || [ -z "$(GAMA_LOCAL)" ]

check: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)
	$(MAKE) --no-print-directory check-deb
	FUZZ_SEED=1 JOBS=$(JOBS) fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SMOKE_SECONDS)

deb: build
	rm -f $(DEB)
	cpack --config $(BUILD)/CPackConfig.cmake -B $(CURDIR)/$(BUILD)
	@ls -l $(DEB)

# The packaged program, unpacked (no installation): its version, its window
# module, and one reduction whose files must equal those of the program just
# built (each run in its own folder under the same name; the creation time
# of the .obs left aside).
check-deb: deb
	rm -rf $(PKG_ROOT) && mkdir -p $(PKG_ROOT)/ini $(PKG_ROOT)/out $(PKG_ROOT)/ref
	dpkg -x $(DEB) $(PKG_ROOT)
	$(PKG_ROOT)/usr/bin/kestrova --version
	test -f $(PKG_ROOT)/usr/lib/kestrova/kestrova-window.so
	test -f $(PKG_ROOT)/usr/share/man/man1/kestrova.1.gz
	cd $(PKG_ROOT)/out && Kestrova=$(CURDIR)/$(PKG_ROOT)/ini $(CURDIR)/$(PKG_ROOT)/usr/bin/kestrova \
	  -x crt2obs -i $(CURDIR)/examples/chantier.crt -o chantier >/dev/null
	cd $(PKG_ROOT)/ref && Kestrova=$(CURDIR)/$(PKG_ROOT)/ini $(CURDIR)/$(BUILD)/kestrova \
	  -x crt2obs -i $(CURDIR)/examples/chantier.crt -o chantier >/dev/null
	for f in chantier.obs chantier.iob chantier_out.gsi; do \
	  LC_ALL=C grep -av '^\* fichier cr' $(PKG_ROOT)/out/$$f > $(PKG_ROOT)/out/$$f.sans-date && \
	  LC_ALL=C grep -av '^\* fichier cr' $(PKG_ROOT)/ref/$$f > $(PKG_ROOT)/ref/$$f.sans-date && \
	  cmp $(PKG_ROOT)/out/$$f.sans-date $(PKG_ROOT)/ref/$$f.sans-date || exit 1; \
	done
	@echo "Paquet $(DEB) : programme installé, réduction identique."

fuzz: deps
	JOBS=$(JOBS) fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

gui: build
	./$(BUILD)/kestrova

bench: build
	bench/run.sh $(BUILD)

install: build
	$(SUDO) cmake --install $(BUILD)

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD)
