// Every host suite the holder knows, as (accessor stem, name, version,
// function table). The accessor is the stem followed by the version
// (PFANSISuite1, PFiterate16Suite2, ...); the order is the order in which a
// holder hands its suites back. A name may come back further down with other
// versions. Suites the effect never calls stay untyped (void).
//
// This list is the only place the pairs are written down: the holder's slots,
// accessors and release order are all generated from it.
#pragma once

#define TINTRA_SUITE_LIST(X) \
    X(AEGPMarkerSuite, "AEGP Marker Suite", 1, void) \
    X(AEGPMarkerSuite, "AEGP Marker Suite", 2, void) \
    X(AEGPMarkerSuite, "AEGP Marker Suite", 3, void) \
    X(AEGPLayerSuite, "AEGP Layer Suite", 8, void) \
    X(AEGPLayerSuite, "AEGP Layer Suite", 10, void) \
    X(AEGPStreamSuite, "AEGP Stream Suite", 11, void) \
    X(AEGPStreamSuite, "AEGP Stream Suite", 10, void) \
    X(AEGPStreamSuite, "AEGP Stream Suite", 9, void) \
    X(AEGPStreamSuite, "AEGP Stream Suite", 8, void) \
    X(AEGPStreamSuite, "AEGP Stream Suite", 7, void) \
    X(AEGPStreamSuite, "AEGP Stream Suite", 4, void) \
    X(AEGPDynamicStreamSuite, "AEGP Dynamic Stream Suite", 2, void) \
    X(AEGPDynamicStreamSuite, "AEGP Dynamic Stream Suite", 3, void) \
    X(AEGPDynamicStreamSuite, "AEGP Dynamic Stream Suite", 5, void) \
    X(AEGPKeyframeSuite, "AEGP Keyframe Suite", 5, void) \
    X(AEGPKeyframeSuite, "AEGP Keyframe Suite", 4, void) \
    X(AEGPKeyframeSuite, "AEGP Keyframe Suite", 3, void) \
    X(AEGPKeyframeSuite, "AEGP Keyframe Suite", 1, void) \
    X(AEGPCompSuite, "AEGP Comp Suite", 9, void) \
    X(AEGPCompSuite, "AEGP Comp Suite", 11, void) \
    X(AEGPCompSuite, "AEGP Comp Suite", 14, void) \
    X(AEGPCompSuite, "AEGP Comp Suite", 15, void) \
    X(AEGPCompSuite, "AEGP Comp Suite", 18, void) \
    X(AEGPCompSuite, "AEGP Comp Suite", 19, void) \
    X(AEGPCompSuite, "AEGP Comp Suite", 21, void) \
    X(AEGPCompSuite, "AEGP Comp Suite", 25, void) \
    X(AEGPCanvasSuite, "AEGP Canvas Suite", 10, void) \
    X(AEGPCanvasSuite, "AEGP Canvas Suite", 11, void) \
    X(AEGPCanvasSuite, "AEGP Canvas Suite", 13, void) \
    X(AEGPCanvasSuite, "AEGP Canvas Suite", 14, void) \
    X(AEGPCameraSuite, "AEGP Camera Suite", 2, void) \
    X(AEGPRegisterSuite, "AEGP Register Suite", 6, void) \
    X(AEGPItemViewSuite, "AEGP Item View Suite", 1, void) \
    X(AEGPItemSuite, "AEGP Item Suite", 13, void) \
    X(AEGPItemSuite, "AEGP Item Suite", 11, void) \
    X(AEGPItemSuite, "AEGP Item Suite", 10, void) \
    X(AEGPItemSuite, "AEGP Item Suite", 7, void) \
    X(AEGPItemSuite, "AEGP Item Suite", 3, void) \
    X(AEGPPFInterfaceSuite, "AEGP PF Interface Suite", 1, void) \
    X(AEGPMathSuite, "AEGP Math Suite", 1, void) \
    X(PFAEAdvTimeSuite, "PF AE Adv Time Suite", 4, void) \
    X(PFPathQuerySuite, "PF Path Query Suite", 1, void) \
    X(AEGPMemorySuite, "AEGP Memory Suite", 1, void) \
    X(PFPathDataSuite, "PF Path Data Suite", 1, void) \
    X(PFParamUtilsSuite, "PF Param Utils Suite", 3, PF_ParamUtilsSuite3) \
    X(PFAEAppSuite, "PF AE App Suite", 6, void) \
    X(PFAEAppSuite, "PF AE App Suite", 7, void) \
    X(PFAEAppSuite, "PF AE App Suite", 1, void) \
    X(PFAEAdvAppSuite, "PF AE Adv App Suite", 2, void) \
    X(AEGPLightSuite, "AEGP Light Suite", 1, void) \
    X(AEGPLightSuite, "AEGP Light Suite", 2, void) \
    X(AEGPLightSuite, "AEGP Light Suite", 3, void) \
    X(AEGPEffectSuite, "AEGP Effect Suite", 1, void) \
    X(AEGPEffectSuite, "AEGP Effect Suite", 2, void) \
    X(AEGPEffectSuite, "AEGP Effect Suite", 3, void) \
    X(AEGPEffectSuite, "AEGP Effect Suite", 4, void) \
    X(AEGPEffectSuite, "AEGP Effect Suite", 5, void) \
    X(AEGPLayerMaskSuite, "AEGP Layer Mask Suite", 5, void) \
    X(AEGPMaskOutlineSuite, "AEGP Mask Outline Suite", 2, void) \
    X(AEGPMaskOutlineSuite, "AEGP Mask Outline Suite", 3, void) \
    X(AEGPMaskOutlineSuite, "AEGP Mask Outline Suite", 5, void) \
    X(AEGPCommandSuite, "AEGP Command Suite", 1, void) \
    X(AEGPUtilitySuite, "AEGP Utility Suite", 7, void) \
    X(AEGPRenderSuite, "AEGP Render Suite", 1, void) \
    X(AEGPRenderSuite, "AEGP Render Suite", 2, void) \
    X(AEGPRenderSuite, "AEGP Render Suite", 3, void) \
    X(AEGPRenderSuite, "AEGP Render Suite", 5, void) \
    X(AEGPRenderSuite, "AEGP Render Suite", 8, void) \
    X(PFANSISuite, "PF ANSI Suite", 1, PF_ANSICallbacksSuite1) \
    X(PFHandleSuite, "PF Handle Suite", 2, void) \
    X(PFFillMatteSuite, "PF Fill Matte Suite", 2, void) \
    X(PFWorldTransformSuite, "PF World Transform Suite", 1, void) \
    X(AEGPQueryXformSuite, "AEGP QueryXform Suite", 4, void) \
    X(AEGPCompositeSuite, "AEGP Composite Suite", 4, void) \
    X(PFWorldSuite, "PF World Suite", 1, void) \
    X(AEGPIOInSuite, "AEGP IO In Suite", 5, void) \
    X(AEGPIOOutSuite, "AEGP IO Out Suite", 7, void) \
    X(AEGPRenderQueueSuite, "AEGP Render Queue Suite", 1, void) \
    X(AEGPRenderQueueItemSuite, "AEGP Render Queue Item Suite", 3, void) \
    X(AEGPOutputModuleSuite, "AEGP Output Module Suite", 4, void) \
    X(AEGPFileImportManagerSuite, "AEGP File Import Manager Suite", 3, void) \
    X(PFSampling8Suite, "PF Sampling8 Suite", 1, void) \
    X(PFSampling16Suite, "PF Sampling16 Suite", 1, void) \
    X(PFIterate8Suite, "PF Iterate8 Suite", 1, PF_Iterate8Suite1) \
    X(PFiterate16Suite, "PF iterate16 Suite", 1, PF_Iterate16Suite1) \
    X(PFiterateFloatSuite, "PF iterateFloat Suite", 1, void) \
    X(PFIterate8Suite, "PF Iterate8 Suite", 2, PF_Iterate8Suite2) \
    X(PFiterate16Suite, "PF iterate16 Suite", 2, PF_Iterate16Suite2) \
    X(PFiterateFloatSuite, "PF iterateFloat Suite", 2, void) \
    X(AEGPCollectionSuite, "AEGP Collection Suite", 2, void) \
    X(AEGPTextDocumentSuite, "AEGP Text Document Suite", 1, void) \
    X(AEGPSoundDataSuite, "AEGP Sound Data Suite", 1, void) \
    X(AEGPTextLayerSuite, "AEGP Text Layer Suite", 1, void) \
    X(AEGPArtisanUtilSuite, "AEGP Artisan Util Suite", 1, void) \
    X(AEGPWorldSuite, "AEGP World Suite", 2, void) \
    X(AEGPWorldSuite, "AEGP World Suite", 3, void) \
    X(AEGPRenderOptionsSuite, "AEGP Render Options Suite", 1, void) \
    X(AEGPTrackerSuite, "AEGP Tracker Suite", 1, void) \
    X(AEGPTrackerUtilitySuite, "AEGP Tracker Utility Suite", 1, void) \
    X(AEPluginHelperSuite2, "AE Plugin Helper Suite2", 2, void) \
    X(AEGPLayerSuite, "AEGP Layer Suite", 11, void) \
    X(AEGPLayerSuite, "AEGP Layer Suite", 12, void) \
    X(AEGPLayerSuite, "AEGP Layer Suite", 13, void) \
    X(AEGPLayerSuite, "AEGP Layer Suite", 14, void) \
    X(PFAEAdvItemSuite, "PF AE Adv Item Suite", 1, void) \
    X(AEGPLayerSuite, "AEGP Layer Suite", 5, void) \
    X(AEGPLayerMaskSuite, "AEGP Layer Mask Suite", 2, void) \
    X(AEGPLayerMaskSuite, "AEGP Layer Mask Suite", 6, void) \
    X(AEGPLayerMaskSuite, "AEGP Layer Mask Suite", 7, void) \
    X(AEGPCompSuite, "AEGP Comp Suite", 4, void) \
    X(AEGPCollectionSuite, "AEGP Collection Suite", 1, void) \
    X(PFAEAdvAppSuite, "PF AE Adv App Suite", 1, void) \
    X(AEGPUtilitySuite, "AEGP Utility Suite", 3, void) \
    X(AEGPRenderOptionsSuite, "AEGP Render Options Suite", 2, void) \
    X(AEGPLayerRenderOptionsSuite, "AEGP Layer Render Options Suite", 1, void) \
    X(AEGPLayerRenderOptionsSuite, "AEGP Layer Render Options Suite", 2, void) \
    X(AEGPRenderAsycManagerSuite, "AEGP Render Asyc Manager Suite", 1, void) \
    X(AEGPProjSuite, "AEGP Proj Suite", 8, void) \
    X(AEGPProjSuite, "AEGP Proj Suite", 9, void) \
    X(AEGPFootageSuite, "AEGP Footage Suite", 11, void) \
    X(AEGPRenderQueueItemSuite, "AEGP Render Queue Item Suite", 4, void) \
    X(AEGPUtilitySuite, "AEGP Utility Suite", 10, void) \
    X(AEGPPersistentDataSuite, "AEGP Persistent Data Suite", 4, void) \
    X(AEGPPersistentDataSuite, "AEGP Persistent Data Suite", 3, void) \
    X(PFColorSettingsSuite, "PF Color Settings Suite", 5, void) \
    X(PFColorSettingsSuite, "PF Color Settings Suite", 4, void) \
    X(PFColorSettingsSuite, "PF Color Settings Suite", 3, void) \
    X(PFColorSettingsSuite, "PF Color Settings Suite", 1, void) \
    X(PFColorParamSuite, "PF ColorParamSuite", 1, void) \
    X(PFSamplingFloatSuite, "PF SamplingFloat Suite", 1, void) \
    X(AEGPUtilitySuite, "AEGP Utility Suite", 11, void) \
    X(AEGPUtilitySuite, "AEGP Utility Suite", 13, void) \
    X(PFEffectCustomUISuite, "PF Effect Custom UI Suite", 1, void) \
    X(PFEffectCustomUISuite, "PF Effect Custom UI Suite", 2, void) \
    X(PFEffectCustomUIOverlayThemeSuite, "PF Effect Custom UI Overlay Theme Suite", 1, void) \
    X(DRAWBOTDrawSuite, "DRAWBOT Draw Suite", 1, void) \
    X(DRAWBOTSupplierSuite, "DRAWBOT Supplier Suite", 1, void) \
    X(DRAWBOTSurfaceSuite, "DRAWBOT Surface Suite", 2, void) \
    X(DRAWBOTPathSuite, "DRAWBOT Path Suite", 1, void) \
    X(SPSuitesSuite, "SP Suites Suite", 2, void)
