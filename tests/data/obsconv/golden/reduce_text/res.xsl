<?xml version="1.0" encoding="ISO-8859-1"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
<xsl:output method="html" indent="yes" encoding="ISO-8859-1"/>

<xsl:template match="/">
<html>
<head>
<title><xsl:value-of select="bsw_result/file_name"/></title>
</head>
<body>
<a name="Top"></a>
<h1>Compte rendu de verification des données terrain</h1>
<xsl:for-each select="carnet">
<h2>Kestrova<br/><xsl:value-of select="@version"/></h2>
</xsl:for-each>
<hr/>

<!-- Table of contents -->
<xsl:for-each select="carnet/stations/station">
<a href="#station_{@num}">
<xsl:choose>
<xsl:when test="@valid='Y'">
<xsl:text>Station #</xsl:text><xsl:value-of select="@num"/><xsl:text> (Point </xsl:text><xsl:value-of select="@pt_sta"/><xsl:text>) : station réduite</xsl:text>
</xsl:when>
<xsl:otherwise>
<xsl:text>Station #</xsl:text><xsl:value-of select="@num"/><xsl:text> (Point </xsl:text><xsl:value-of select="@pt_sta"/><xsl:text>) : station non valide (fichier carnet ligne </xsl:text><xsl:value-of select="@num_ligne + 1"/><xsl:text>)</xsl:text>
</xsl:otherwise>
</xsl:choose>
</a><br/>
</xsl:for-each>

<!-- Reduction parameters -->
<hr/>
<a href="#Top">Retour au Sommaire</a>
<h2>Paramètres de réduction</h2>
<xsl:for-each select="carnet/stations">
<table border="1" cellspacing="0" cellpadding="1" width="500">
<tr><td>Export des hauteurs instrument et cible</td><td><xsl:value-of select="@export_hauteurs_brelix"/></td></tr>
<tr><td>Utilisation de l'ouverture pour calculer Z0</td><td><xsl:value-of select="@use_first_target_for_Z0_estimation"/></td></tr>
<tr><td>Utilisation de la météo saisie dans les entêtes de stations</td><td><xsl:value-of select="@use_meteo_entete_station"/></td></tr>
<tr><td>&#963;Hz (gons)</td><td><xsl:value-of select="@SigmaHz"/></td></tr>
<tr><td>&#963;V (gons)</td><td><xsl:value-of select="@SigmaV"/></td></tr>
<tr><td>&#963;Dp (m)</td><td><xsl:value-of select="@SigmaDp"/></td></tr>
</table>
</xsl:for-each>

<!-- Prisms -->
<hr/>
<a href="#Top">Retour au Sommaire</a>
<h2>Prismes</h2>
<table border="1" cellspacing="0" cellpadding="1" width="500">
<tr><th>Prismes</th><th>Cste (m)</th></tr>
<xsl:for-each select="carnet/etalonnages/etalonnage">
<tr><td><xsl:value-of select="@id"/></td><td><xsl:value-of select="-1 * @M"/></td></tr>
</xsl:for-each>
</table>

<!-- Z0 of the whole field book -->
<hr/>
<a href="#Top">Retour au Sommaire</a>
<h2>Z0 global</h2>
<xsl:for-each select="carnet/stations">
<table border="1" cellspacing="0" cellpadding="1" width="500">
<tr><th>Z0 (gons)</th><th>&#963;Z0 (gons)</th></tr>
<tr><td><xsl:value-of select="@Z0"/></td><td><xsl:value-of select="@SigmaZ0"/></td></tr>
</table>
</xsl:for-each>

<!-- One block per station -->
<xsl:for-each select="carnet/stations/station">
<hr/>
<a name="station_{@num}"></a>
<a href="#Top">Retour au Sommaire</a>
<h2><xsl:text>Station n°</xsl:text><xsl:value-of select="@num"/><xsl:text> - Point </xsl:text><xsl:value-of select="@pt_sta"/></h2>
<xsl:if test="1 + @num_ligne &gt; 0">
<h3><xsl:text>Fichier carnet - ligne </xsl:text><xsl:value-of select="1 + @num_ligne"/></h3>
</xsl:if>
<table border="1" cellspacing="0" cellpadding="1" width="500">
<tr><td>nom</td><td><xsl:value-of select="@pt_sta"/></td></tr>
<tr><td>Ht (m)</td><td><xsl:value-of select="@Ht"/></td></tr>
<tr><td>Température (°C)</td><td><xsl:value-of select="@temp"/></td></tr>
<tr><td>Pression (mmHg)</td><td><xsl:value-of select="@press_mmHg"/></td></tr>
<tr><td>Pression (hPa)</td><td><xsl:value-of select="@press_hPa"/></td></tr>
<tr><td>Formule météo</td><td><xsl:value-of select="@formule_meteo"/></td></tr>
<xsl:choose>
<xsl:when test="@valid='Y'">
<tr><td>ppm</td><td><xsl:value-of select="@ppm"/></td></tr>
<tr><td>Valide ?</td><td>Oui</td></tr>
<tr><td>Nombre de pointés </td><td><xsl:value-of select="@NbPointes"/></td></tr>
<tr><td>Nombre de cercles </td><td><xsl:value-of select="@cercles"/></td></tr>
<tr><td>Fermeture </td><td><xsl:choose><xsl:when test="@fermeture='Y'">Oui</xsl:when><xsl:otherwise>Non</xsl:otherwise></xsl:choose></td></tr>
<xsl:if test="@cercles!='1'">
<tr><td>Z0 (gons) </td><td><xsl:value-of select="@Z0"/></td></tr>
<tr><td>&#963;Z0 (gons) </td><td><xsl:value-of select="@SigmaZ0"/></td></tr>
</xsl:if>
</xsl:when>
<xsl:otherwise>
<tr><td>Valide ?</td><td>Non</td></tr>
</xsl:otherwise>
</xsl:choose>
</table>
<xsl:choose>
<xsl:when test="@valid='Y'">
<xsl:if test="@NbPointesC1 &gt; 0">
<h3>Observations cercle I</h3>
<table border="1" cellspacing="0" cellpadding="1" width="700">
<tr><th>Point visé</th><th>Hz (gon)</th><th>V (gon)</th><th>Dp (m)</th><th>dHz (cc)</th><th>dV (cc)</th><th>dDp (mm)</th><th>ppm</th><th>Etalonnage</th><th>Id Etalonnage</th><th>Hv (m)</th></tr>
<xsl:for-each select="rawdata/obs[@V &lt; 200]">
<tr><td><xsl:value-of select="@pt_vis"/></td><td><xsl:value-of select="@Hz"/></td><td><xsl:value-of select="@V"/></td><td><xsl:value-of select="@Dp"/></td><td><xsl:value-of select="@dHz"/></td><td><xsl:value-of select="@dV"/></td><td><xsl:value-of select="@dDp"/></td><td><xsl:value-of select="@ppm"/></td><td><xsl:value-of select="@c_etal"/></td><td><xsl:value-of select="@id_etalonnage"/></td><td><xsl:value-of select="@Hv"/></td></tr>
</xsl:for-each>
</table>
</xsl:if>
<xsl:if test="@NbPointesC2 &gt; 0">
<h3>Observations cercle II</h3>
<table border="1" cellspacing="0" cellpadding="1" width="700">
<tr><th>Point visé</th><th>Hz (gon)</th><th>V (gon)</th><th>Dp (m)</th><th>dHz (cc)</th><th>dV (cc)</th><th>dDp (mm)</th><th>ppm</th><th>Etalonnage</th><th>Id Etalonnage</th><th>Hv (m)</th></tr>
<xsl:for-each select="rawdata/obs[@V &gt;= 200]">
<tr><td><xsl:value-of select="@pt_vis"/></td><td><xsl:value-of select="@Hz"/></td><td><xsl:value-of select="@V"/></td><td><xsl:value-of select="@Dp"/></td><td><xsl:value-of select="@dHz"/></td><td><xsl:value-of select="@dV"/></td><td><xsl:value-of select="@dDp"/></td><td><xsl:value-of select="@ppm"/></td><td><xsl:value-of select="@c_etal"/></td><td><xsl:value-of select="@id_etalonnage"/></td><td><xsl:value-of select="@Hv"/></td></tr>
</xsl:for-each>
</table>
</xsl:if>
<h3>Observations réduites</h3>
<table border="1" cellspacing="0" cellpadding="1" width="700">
<tr><th>Point visé</th><th>Hz (gon)</th><th>V (gon)</th><th>Dp (m)</th></tr>
<xsl:for-each select="Data_Ok/obs">
<tr><td><xsl:value-of select="@pt_vis"/></td><td><xsl:value-of select="@Hz"/></td><td><xsl:value-of select="@V"/></td><td><xsl:value-of select="@Dp"/></td></tr>
</xsl:for-each>
</table>
</xsl:when>
<xsl:otherwise>
<xsl:if test="@NbPointesC1 &gt; 0">
<h3>Observations cercle I</h3>
<table border="1" cellspacing="0" cellpadding="1" width="700">
<tr><th>Point visé</th><th>Hz (gon)</th><th>V (gon)</th><th>Dp (m)</th><th>Hv (m)</th></tr>
<xsl:for-each select="rawdata/obs[@V &lt; 200]">
<tr><td><xsl:value-of select="@pt_vis"/></td><td><xsl:value-of select="@Hz"/></td><td><xsl:value-of select="@V"/></td><td><xsl:value-of select="@Dp"/></td><td><xsl:value-of select="@Hv"/></td></tr>
</xsl:for-each>
</table>
</xsl:if>
<xsl:if test="@NbPointesC2 &gt; 0">
<h3>Observations cercle II</h3>
<table border="1" cellspacing="0" cellpadding="1" width="700">
<tr><th>Point visé</th><th>Hz (gon)</th><th>V (gon)</th><th>Dp (m)</th><th>Hv (m)</th></tr>
<xsl:for-each select="rawdata/obs[@V &gt;= 200]">
<tr><td><xsl:value-of select="@pt_vis"/></td><td><xsl:value-of select="@Hz"/></td><td><xsl:value-of select="@V"/></td><td><xsl:value-of select="@Dp"/></td><td><xsl:value-of select="@Hv"/></td></tr>
</xsl:for-each>
</table>
</xsl:if>
<h3>Nombre de pointés par cercle</h3>
<table border="1" cellspacing="0" cellpadding="1" width="500">
<tr><th>Point visé</th><th>Pointés CI</th><th>Pointés CII</th></tr>
<xsl:for-each select="CheckNobs/Nobs">
<tr><td><xsl:value-of select="@pt_vis"/></td><td><xsl:value-of select="@NObsC1"/></td><td><xsl:value-of select="@NObsC2"/></td></tr>
</xsl:for-each>
</table>
<h3>Messages d'erreur : </h3>
<xsl:for-each select="Logs/log">
<xsl:value-of select="@mess"/><br/>
</xsl:for-each>
</xsl:otherwise>
</xsl:choose>
</xsl:for-each>
<hr/>
<a name="Bottom"></a>
</body>
</html>
</xsl:template>

</xsl:stylesheet>
